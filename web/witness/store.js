// The witness page's model, without the page: the messages of a run checked and
// turned into rows. Loaded by the page as a plain script (the broker serves files
// without a content type, so no modules) and by Node for the page's test.
//
// Topics under kest/UNIT/:
//   runs              {"unit","runs":[{"run","started","state"}]}          retained
//   RUN/header        the run's description and the tablet's layout        retained
//   RUN/rows          {"from":K,"rows":[[arg,v1..vn],...]}                  live
//   RUN/history/N     as rows, from = N*1000, plus "total"                 retained
//   RUN/end           {"file","rows"}                                      retained
// Every message is checked before it touches the model; one that does not fit is
// refused with a reason (a WitnessError) and changes nothing.
(function (root, factory) {
  const api = factory();
  if (typeof module === "object" && module.exports) module.exports = api;
  else root.KestWitnessStore = api;
})(typeof self !== "undefined" ? self : this, function () {
  "use strict";

  const kMaxMessageBytes = 1024 * 1024;
  const kHistoryChunk = 1000;
  // Far more than any logging tool writes; a bound so a hostile header cannot make
  // the page allocate without end.
  const kMaxTracks = 1000;
  const kMaxColumns = 100;
  // Messages held for rows not yet seen: minutes of live rows; beyond it the oldest
  // go (the history brings their rows again).
  const kMaxPending = 600;

  class WitnessError extends Error {}

  function Fail(reason) {
    throw new WitnessError(reason);
  }

  function IsObject(x) {
    return x !== null && typeof x === "object" && !Array.isArray(x);
  }

  function Text(object, key, optional) {
    const value = object[key];
    if (value === undefined && optional) return "";
    if (typeof value !== "string") Fail(`поле «${key}» не строка`);
    return value;
  }

  function FiniteNumber(object, key, optional, fallback) {
    const value = object[key];
    if (value === undefined && optional) return fallback;
    if (typeof value !== "number" || !Number.isFinite(value)) Fail(`поле «${key}» не число`);
    return value;
  }

  function ValidName(name) {
    return typeof name === "string" && name.length > 0 && !/[/#+]/.test(name);
  }

  // Payload bytes (Uint8Array or string) to a JSON value; the size is checked before
  // anything is decoded.
  function ParseJson(payload) {
    const size = typeof payload === "string" ? payload.length : payload.byteLength;
    if (size > kMaxMessageBytes) Fail(`сообщение больше 1 МБ (${size} байт)`);
    let text = payload;
    if (typeof payload !== "string") {
      try {
        text = new TextDecoder("utf-8", { fatal: true }).decode(payload);
      } catch (e) {
        Fail("сообщение не в UTF-8");
      }
    }
    try {
      return JSON.parse(text);
    } catch (e) {
      Fail("сообщение не JSON");
    }
  }

  function ParseRuns(value) {
    if (!IsObject(value) || !Array.isArray(value.runs)) Fail("нет списка рейсов");
    const unit = Text(value, "unit");
    const runs = value.runs.map((run) => {
      if (!IsObject(run) || !ValidName(run.run)) Fail("рейс без имени");
      const state = Text(run, "state", true);
      return { run: run.run, started: Text(run, "started", true), state };
    });
    return { unit, runs };
  }

  function ParseLayout(layout, trackCount) {
    if (!IsObject(layout) || !Array.isArray(layout.columns)) Fail("нет колонок планшета");
    if (layout.columns.length > kMaxColumns) Fail("слишком много колонок");
    return layout.columns.map((column) => {
      if (!IsObject(column) || !Array.isArray(column.curves)) Fail("колонка без кривых");
      const width = FiniteNumber(column, "width");
      if (width < 10 || width > 2000) Fail("ширина колонки вне 10…2000");
      const curves = column.curves.map((curve) => {
        if (!IsObject(curve)) Fail("кривая не объект");
        const track = FiniteNumber(curve, "track");
        if (!Number.isInteger(track) || track < 0 || track >= trackCount) Fail("кривая без записи");
        const min = FiniteNumber(curve, "min");
        const max = FiniteNumber(curve, "max");
        const log = curve.log === true;
        if (min === max) Fail("у кривой min = max");
        if (log && (min <= 0 || max <= 0)) Fail("логарифмический масштаб не выше нуля");
        const color = Text(curve, "color", true);
        return { track, min, max, log, color: /^#[0-9a-fA-F]{6}$/.test(color) ? color : "#000000" };
      });
      return { width: Math.round(width), curves };
    });
  }

  function ParseHeader(value) {
    if (!IsObject(value)) Fail("заголовок не объект");
    const argument = Text(value, "argument");
    if (argument !== "depth" && argument !== "time") Fail("аргумент не depth и не time");
    const direction = Text(value, "direction");
    if (!["down", "up", "time"].includes(direction)) Fail("неизвестное направление");
    if ((argument === "time") !== (direction === "time")) Fail("направление не по аргументу");
    if (!Array.isArray(value.tracks) || value.tracks.length > kMaxTracks) Fail("нет списка записей");
    const tracks = value.tracks.map((track) => {
      if (!IsObject(track)) Fail("запись не объект");
      return {
        name: Text(track, "name", true),
        mnemonic: Text(track, "mnemonic", true),
        unit: Text(track, "unit", true),
        caption: Text(track, "caption", true),
        offset: FiniteNumber(track, "offset", true, 0),
        shift: FiniteNumber(track, "shift", true, 0),
      };
    });
    const step = FiniteNumber(value, "step");
    return {
      unit: Text(value, "unit"),
      run: Text(value, "run"),
      research: Text(value, "research", true),
      well: Text(value, "well", true),
      argument,
      direction,
      step,
      started: Text(value, "started", true),
      tracks,
      columns: ParseLayout(value.layout, tracks.length),
    };
  }

  // A rows or history message for a run of `trackCount` tracks. Every row is checked
  // whole so a bad row far down refuses the message, not half of it.
  function ParseRows(value, trackCount, history) {
    if (!IsObject(value) || !Array.isArray(value.rows)) Fail("нет строк");
    const from = FiniteNumber(value, "from");
    if (!Number.isInteger(from) || from < 0) Fail("«from» не номер строки");
    if (history && from % kHistoryChunk !== 0) Fail("«from» куска не кратно 1000");
    if (history && value.rows.length > kHistoryChunk) Fail("в куске больше 1000 строк");
    const rows = value.rows.map((row) => {
      if (!Array.isArray(row) || row.length !== trackCount + 1) Fail("строка не той длины");
      if (typeof row[0] !== "number" || !Number.isFinite(row[0])) Fail("аргумент строки не число");
      for (let i = 1; i < row.length; ++i) {
        if (row[i] !== null && (typeof row[i] !== "number" || !Number.isFinite(row[i])))
          Fail("отсчёт не число и не null");
      }
      return row;
    });
    let total;
    if (history) {
      total = FiniteNumber(value, "total");
      if (!Number.isInteger(total) || total < from + rows.length) Fail("«total» меньше строк куска");
    }
    return { from, rows, total };
  }

  function ParseEnd(value) {
    if (!IsObject(value)) Fail("конец не объект");
    const rows = FiniteNumber(value, "rows");
    if (!Number.isInteger(rows) || rows < 0) Fail("«rows» не число строк");
    return { file: Text(value, "file", true), rows };
  }

  // The rows of one run as the broker has shown them so far. Live rows that arrive
  // before the history has filled the rows before them wait in `pending`. A history
  // chunk is the publisher's latest word on its own rows (it is republished whenever
  // they change), so live rows it has overtaken are dropped as stale; the chunk the
  // run ends in also gives the run's length, which withdraws rows a viewer missed.
  class RunRows {
    constructor(trackCount) {
      this.trackCount = trackCount;
      this.rows = [];
      this.pending = [];
      this.version = 0;
    }

    get length() {
      return this.rows.length;
    }

    Hold(message) {
      this.pending.push(message);
      if (this.pending.length > kMaxPending) this.pending.shift();
    }

    ApplyRows(message) {
      if (message.from > this.rows.length) {
        this.Hold(message);
        return;
      }
      this.rows.length = message.from;
      for (const row of message.rows) this.rows.push(row);
      ++this.version;
      this.Drain();
    }

    ApplyHistory(message) {
      if (message.from > this.rows.length) {
        // Chunks come in any order on subscribing; hold this one like a live message.
        this.Hold(message);
        return;
      }
      for (let i = 0; i < message.rows.length; ++i) this.rows[message.from + i] = message.rows[i];
      // Only the chunk the run ends in tells its length: a full chunk stays retained
      // unchanged while the run grows past it, so its total grows old.
      const last = message.total < message.from + kHistoryChunk;
      if (last && message.total < this.rows.length) this.rows.length = message.total;
      ++this.version;
      this.pending = this.pending.filter((m) => m.total !== undefined || m.from >= this.rows.length);
      this.Drain();
    }

    // A history chunk cleared by the publisher: its rows are withdrawn.
    ClearChunk(index) {
      const from = index * kHistoryChunk;
      if (from < this.rows.length) {
        this.rows.length = from;
        ++this.version;
      }
    }

    Drain() {
      for (;;) {
        const next = this.pending.findIndex((m) => m.from <= this.rows.length);
        if (next < 0) return;
        const [message] = this.pending.splice(next, 1);
        if (message.total !== undefined) this.ApplyHistory(message);
        else this.ApplyRows(message);
      }
    }
  }

  // Where a topic under kest/ points: {unit, kind: "runs"} or {unit, run, kind, chunk}.
  function SplitTopic(topic) {
    const parts = topic.split("/");
    if (parts[0] !== "kest" || parts.length < 3) return null;
    if (parts.length === 3 && parts[2] === "runs") return { unit: parts[1], kind: "runs" };
    const kind = parts[3];
    if (parts.length === 4 && ["header", "rows", "end"].includes(kind))
      return { unit: parts[1], run: parts[2], kind };
    if (parts.length === 5 && kind === "history" && /^(0|[1-9][0-9]{0,8})$/.test(parts[4]))
      return { unit: parts[1], run: parts[2], kind, chunk: Number(parts[4]) };
    return null;
  }

  return {
    kMaxMessageBytes,
    kHistoryChunk,
    WitnessError,
    ValidName,
    ParseJson,
    ParseRuns,
    ParseHeader,
    ParseRows,
    ParseEnd,
    RunRows,
    SplitTopic,
  };
});
