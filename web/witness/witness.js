// The witness page: connects to the broker over MQTT over WebSockets, lists the
// units and their runs, and draws the chosen run as it is recorded.
(function () {
  "use strict";

  const Store = window.KestWitnessStore;
  const Plot = window.KestLogPlot;
  const kMaxNotices = 50;
  const kMarginPx = 24;
  // The broker of Debian 12 (Mosquitto 2.0.11) stops writing a WebSockets message
  // larger than about 48 KB part way and goes on only when the client sends it
  // something; a history chunk of a dozen tracks is 130 KB. So the page keeps
  // sending a small request (unsubscribing from a topic it never holds, which the
  // broker answers) every 50 ms while connected: about 1 KB/s, and 130 KB arrive in
  // a quarter of a second instead of at the next keep-alive a minute later.
  const kNudgeMs = 50;
  const kNudgeTopic = "kest/-/nudge";

  const $ = (id) => document.getElementById(id);
  const ui = {
    status: $("status"),
    login: $("login"),
    units: $("units"),
    info: $("info"),
    scale: $("scale"),
    follow: $("follow"),
    frame: $("frame"),
    heads: $("heads"),
    canvasBox: $("canvasBox"),
    spacer: $("spacer"),
    notices: $("notices"),
  };

  const state = {
    client: null,
    connected: false,
    units: new Map(), // unit -> [{run, started, state}]
    chosen: null, // {unit, run}
    userChose: false,
    header: null,
    run: null, // Store.RunRows
    early: [], // run messages that came before the header
    end: null,
    ignored: 0,
    notices: [],
    following: true,
    origin: 0, // the argument at the top of the scroll area
    drawnVersion: -1,
    frameRequested: false,
    nudge: 0,
  };

  const plot = new Plot.LogPlot($("plot"));

  // What tests and scripts can read: the rows of the chosen run held now, the last
  // row's argument, the link's state, and the place of an argument on the canvas.
  window.kestWitness = {
    get rows() {
      return state.run ? state.run.length : 0;
    },
    get lastArgument() {
      const rows = state.run ? state.run.rows : [];
      return rows.length ? rows[rows.length - 1][0] : null;
    },
    get connected() {
      return state.connected;
    },
    get ignored() {
      return state.ignored;
    },
    get notices() {
      return state.notices.slice();
    },
    get header() {
      return state.header;
    },
    get run() {
      return state.chosen ? { ...state.chosen, ended: state.end !== null } : null;
    },
    row(i) {
      return state.run && i >= 0 && i < state.run.length ? state.run.rows[i].slice() : null;
    },
    // Canvas geometry: columns' x in CSS pixels, and the y of an argument now.
    geometry() {
      return { columns: plot.Columns().map(({ x, width }) => ({ x, width })), pxPerUnit: plot.pxPerUnit };
    },
    yOf(argument) {
      return plot.Y(argument);
    },
    scrollTo(argument) {
      ui.frame.scrollTop = (argument - state.origin) * plot.pxPerUnit;
      Draw();
    },
  };

  // ---- Connection -------------------------------------------------------------

  function Settings() {
    const query = new URLSearchParams(location.search);
    return {
      host: query.get("host") || location.hostname || "",
      port: query.get("port") || location.port || (location.protocol === "https:" ? "443" : "80"),
      user: query.get("user") || "",
      password: query.get("password") || "",
      unit: query.get("unit"),
      run: query.get("run"),
    };
  }

  function SetStatus(text, on) {
    ui.status.textContent = text;
    ui.status.classList.toggle("on", on);
  }

  function Connect(settings) {
    clearInterval(state.nudge);
    if (state.client) state.client.end(true);
    state.connected = false;
    if (!settings.host) {
      SetStatus("Нет связи", false);
      return;
    }
    const scheme = location.protocol === "https:" ? "wss" : "ws";
    const options = {
      reconnectPeriod: 3000,
      connectTimeout: 10000,
      clean: true,
      clientId: `kest-page-${Math.random().toString(16).slice(2, 10)}`,
    };
    if (settings.user) options.username = settings.user;
    if (settings.password) options.password = settings.password;
    SetStatus("Подключение…", false);
    const client = mqtt.connect(`${scheme}://${settings.host}:${settings.port}/`, options);
    state.client = client;
    client.on("connect", () => {
      state.connected = true;
      clearInterval(state.nudge);
      state.nudge = setInterval(() => {
        if (client.connected) client.unsubscribe(kNudgeTopic);
      }, kNudgeMs);
      SetStatus("Подключено", true);
      client.subscribe("kest/+/runs");
      if (state.chosen) SubscribeRun(state.chosen, true);
    });
    let refused = false;
    const lost = () => {
      clearInterval(state.nudge);
      state.connected = false;
      SetStatus(refused ? "Нет связи: доступ запрещён" : "Нет связи", false);
    };
    client.on("close", lost);
    client.on("offline", lost);
    client.on("error", (error) => {
      // Refused user or password (MQTT 3.1.1 codes 4 and 5, MQTT 5 codes 134 and 135):
      // trying again cannot help, the viewer has to log in anew.
      if ([4, 5, 134, 135].includes(error.code)) {
        refused = true;
        client.end(true);
        lost();
        Notice("Брокер не принял пользователя или пароль");
        return;
      }
      lost();
      Notice(`Брокер: ${error.message}`);
    });
    client.on("message", (topic, payload) => {
      try {
        OnMessage(topic, payload);
      } catch (error) {
        if (!(error instanceof Store.WitnessError)) throw error;
        ++state.ignored;
        Notice(`Сообщение пропущено (${topic}): ${error.message}`);
      }
    });
  }

  function Notice(text) {
    const time = new Date().toTimeString().slice(0, 8);
    state.notices.push(`${time} ${text}`);
    if (state.notices.length > kMaxNotices) state.notices.shift();
    const line = document.createElement("div");
    line.textContent = `${time} ${text}`;
    ui.notices.prepend(line);
    while (ui.notices.childElementCount > kMaxNotices) ui.notices.lastChild.remove();
  }

  function RunTopics(chosen) {
    const base = `kest/${chosen.unit}/${chosen.run}/`;
    return [`${base}header`, `${base}end`, `${base}history/+`, `${base}rows`];
  }

  function SubscribeRun(chosen, again) {
    if (!state.client) return;
    if (!again) ResetRun();
    state.client.subscribe(RunTopics(chosen));
  }

  function ResetRun() {
    state.header = null;
    state.run = null;
    state.early = [];
    state.end = null;
    state.following = true;
    state.drawnVersion = -1;
    plot.header = null;
    plot.rows = [];
    ShowRun();
  }

  function Choose(unit, run, byUser) {
    if (state.chosen && state.chosen.unit === unit && state.chosen.run === run) return;
    if (state.chosen && state.client) state.client.unsubscribe(RunTopics(state.chosen));
    state.chosen = { unit, run };
    state.userChose = state.userChose || byUser;
    SubscribeRun(state.chosen, false);
    ShowUnits();
  }

  // ---- Messages ---------------------------------------------------------------

  function OnMessage(topic, payload) {
    const where = Store.SplitTopic(topic);
    if (!where) throw new Store.WitnessError("неизвестная тема");
    if (where.kind === "runs") return OnRuns(where.unit, payload);
    const chosen = state.chosen;
    if (!chosen || where.unit !== chosen.unit || where.run !== chosen.run) return;
    if (payload.length === 0) {
      // A retained message cleared: a withdrawn history chunk, or a run removed.
      if (where.kind === "history" && state.run) {
        state.run.ClearChunk(where.chunk);
        RowsChanged();
      }
      return;
    }
    const value = Store.ParseJson(payload);
    if (where.kind === "header") return OnHeader(value);
    if (where.kind === "end") {
      state.end = Store.ParseEnd(value);
      return ShowRun();
    }
    if (!state.header) {
      // The header is retained and normally first; keep what comes before it.
      if (state.early.length < 100) state.early.push({ where, value });
      return;
    }
    OnRows(where, value);
  }

  function OnRows(where, value) {
    const history = where.kind === "history";
    const message = Store.ParseRows(value, state.header.tracks.length, history);
    if (history && message.from !== where.chunk * Store.kHistoryChunk)
      throw new Store.WitnessError("«from» не по номеру куска");
    if (history) state.run.ApplyHistory(message);
    else state.run.ApplyRows(message);
    RowsChanged();
  }

  function OnRuns(unit, payload) {
    if (payload.length === 0) {
      state.units.delete(unit);
      return ShowUnits();
    }
    const runs = Store.ParseRuns(Store.ParseJson(payload));
    if (runs.unit !== unit) throw new Store.WitnessError("станция не та, что в теме");
    state.units.set(unit, runs.runs);
    ShowUnits();
    ChooseByDefault();
  }

  // The run named in the address, else the newest run still recording, else the
  // newest; a run the viewer picked stays.
  function ChooseByDefault() {
    if (state.userChose) return;
    const wanted = Settings();
    if (wanted.unit && wanted.run) {
      if (!state.chosen) Choose(wanted.unit, wanted.run, false);
      return;
    }
    let best = null;
    for (const [unit, runs] of state.units) {
      for (const run of runs) {
        const candidate = { unit, run: run.run, recording: run.state === "recording", started: run.started };
        if (
          !best ||
          candidate.recording > best.recording ||
          (candidate.recording === best.recording && candidate.started > best.started)
        )
          best = candidate;
      }
    }
    if (best) Choose(best.unit, best.run, false);
  }

  function OnHeader(value) {
    const header = Store.ParseHeader(value);
    const chosen = state.chosen;
    if (header.unit !== chosen.unit || header.run !== chosen.run)
      throw new Store.WitnessError("заголовок другого рейса");
    const sameTracks = state.header && state.header.tracks.length === header.tracks.length;
    state.header = header;
    plot.SetRun(header);
    FillScales();
    if (!sameTracks) {
      // New columns of rows: everything held so far is read again from the history.
      const hadRows = state.run !== null;
      state.run = new Store.RunRows(header.tracks.length);
      if (hadRows && state.client) {
        const history = `kest/${chosen.unit}/${chosen.run}/history/+`;
        state.client.unsubscribe(history, () => state.client.subscribe(history));
      }
    }
    const early = state.early;
    state.early = [];
    for (const { where, value } of early) {
      try {
        OnRows(where, value);
      } catch (error) {
        if (!(error instanceof Store.WitnessError)) throw error;
        ++state.ignored;
        Notice(`Сообщение пропущено (${where.kind}): ${error.message}`);
      }
    }
    ShowHeads();
    ShowRun();
    RowsChanged();
  }

  // ---- Presentation -----------------------------------------------------------

  function ShowUnits() {
    ui.units.textContent = "";
    if (state.units.size === 0) {
      ui.units.textContent = "Нет данных";
      return;
    }
    for (const unit of [...state.units.keys()].sort()) {
      const title = document.createElement("h2");
      title.textContent = `Станция ${unit}`;
      ui.units.append(title);
      const list = document.createElement("ul");
      for (const run of [...state.units.get(unit)].reverse()) {
        const item = document.createElement("li");
        item.textContent = `Рейс ${run.run} `;
        if (run.state === "recording") {
          const mark = document.createElement("span");
          mark.className = "state";
          mark.textContent = "● запись";
          item.append(mark);
        }
        const chosen = state.chosen && state.chosen.unit === unit && state.chosen.run === run.run;
        item.classList.toggle("chosen", Boolean(chosen));
        item.addEventListener("click", () => Choose(unit, run.run, true));
        list.append(item);
      }
      ui.units.append(list);
    }
  }

  // "2026-12-10T03:15:00+03:00" as the unit's clock showed it: "10.12.2026 03:15:00".
  function ShownTime(iso) {
    const m = /^(\d{4})-(\d\d)-(\d\d)T(\d\d:\d\d:\d\d)/.exec(iso);
    return m ? `${m[3]}.${m[2]}.${m[1]} ${m[4]}` : iso;
  }

  function ShowRun() {
    const header = state.header;
    ui.info.textContent = "";
    if (!state.chosen) {
      ui.info.textContent = "Рейс не выбран";
      return;
    }
    const add = (label, text) => {
      const span = document.createElement("span");
      const b = document.createElement("b");
      b.textContent = `${label}: `;
      span.append(b, text);
      ui.info.append(span);
    };
    add("Станция", state.chosen.unit);
    add("Рейс", state.chosen.run);
    if (header) {
      if (header.well) add("Скважина", header.well);
      if (header.research) add("Исследование", header.research);
      if (header.started) add("Начало", ShownTime(header.started));
      const rows = state.run ? state.run.rows : [];
      add("Строк", String(rows.length));
      if (rows.length) {
        const last = rows[rows.length - 1][0];
        if (header.argument === "time") add("Время", plot.ArgumentLabel(last));
        else add("Глубина", `${last.toFixed(2)} м`);
      }
    }
    if (state.end) add("Запись окончена", `${state.end.file} (${state.end.rows} строк)`);
  }

  function ShowHeads() {
    ui.heads.textContent = "";
    const header = state.header;
    if (!header) return;
    const columns = plot.Columns();
    for (const column of columns) {
      const head = document.createElement("div");
      head.className = "head";
      head.style.width = `${column.width + (column === columns[0] ? 1 : 0)}px`;
      if (column.argument) {
        head.textContent = header.argument === "time" ? "Время" : "Глубина, м";
      }
      for (const curve of column.curves) {
        const track = header.tracks[curve.track];
        const box = document.createElement("div");
        box.className = "curve";
        const name = document.createElement("div");
        name.className = "name";
        name.style.color = curve.color;
        const caption = track.caption || track.mnemonic || track.name;
        name.textContent = track.unit ? `${caption}, ${track.unit}` : caption;
        const scale = document.createElement("div");
        scale.className = "scale";
        scale.style.borderTopColor = curve.color;
        const min = document.createElement("span");
        min.textContent = String(curve.min);
        const max = document.createElement("span");
        max.textContent = String(curve.max) + (curve.log ? " лог" : "");
        scale.append(min, max);
        box.append(name, scale);
        head.append(box);
      }
      ui.heads.append(head);
    }
  }

  function FillScales() {
    const time = state.header.argument === "time";
    const previous = ui.scale.dataset.kind;
    if (previous === (time ? "time" : "depth")) return;
    ui.scale.dataset.kind = time ? "time" : "depth";
    ui.scale.textContent = "";
    // Depth: 1:N, a metre is 1000/N mm. Time: one centimetre of the page is N seconds.
    const choices = time
      ? [
          ["1 см = 10 с", 10],
          ["1 см = 30 с", 30],
          ["1 см = 1 мин", 60],
          ["1 см = 5 мин", 300],
          ["1 см = 10 мин", 600],
        ]
      : [
          ["1:50", 50],
          ["1:100", 100],
          ["1:200", 200],
          ["1:500", 500],
          ["1:1000", 1000],
        ];
    for (const [text, value] of choices) {
      const option = document.createElement("option");
      option.textContent = text;
      option.value = String(value);
      ui.scale.append(option);
    }
    ui.scale.value = time ? "30" : "200";
    ApplyScale();
  }

  function ApplyScale() {
    const value = Number(ui.scale.value);
    const time = state.header && state.header.argument === "time";
    const keep = plot.top;
    plot.pxPerUnit = time ? (10 * Plot.kPxPerMm) / value : (1000 / value) * Plot.kPxPerMm;
    state.drawnVersion = -1;
    Layout();
    if (!state.following) ui.frame.scrollTop = (keep - state.origin) * plot.pxPerUnit;
    Draw();
  }

  function RowsChanged() {
    if (state.frameRequested) return;
    state.frameRequested = true;
    requestAnimationFrame(() => {
      state.frameRequested = false;
      Layout();
      ShowRun();
      Draw();
    });
  }

  function NewestAtBottom() {
    return !state.header || state.header.direction !== "up";
  }

  // The scroll area's height from the rows' extent; the view follows the newest row
  // unless the viewer has scrolled away from it.
  function Layout() {
    if (!state.run || !state.header) return;
    plot.rows = state.run.rows;
    if (state.drawnVersion !== state.run.version) {
      plot.ordered = Plot.Ordered(plot.rows, state.header.direction);
      state.drawnVersion = state.run.version;
    }
    const extent = plot.Extent();
    const margin = kMarginPx / plot.pxPerUnit;
    const origin = extent ? extent.lo - margin : 0;
    const span = extent ? extent.hi - extent.lo + 2 * margin : 0;
    // Rows added above (a run going up) move what is in view down: keep it in place.
    const moved = (state.origin - origin) * plot.pxPerUnit;
    state.origin = origin;
    ui.spacer.style.height = `${Math.ceil(span * plot.pxPerUnit)}px`;
    ui.spacer.style.width = `${plot.Width()}px`;
    if (state.following) {
      ui.frame.scrollTop = NewestAtBottom() ? ui.frame.scrollHeight : 0;
    } else if (moved) {
      ui.frame.scrollTop += moved;
    }
  }

  function ViewHeight() {
    return Math.max(0, ui.frame.clientHeight - ui.heads.offsetHeight);
  }

  function Draw() {
    ui.canvasBox.style.top = `${ui.heads.offsetHeight}px`;
    plot.top = state.origin + ui.frame.scrollTop / plot.pxPerUnit;
    plot.Draw(plot.Width(), ViewHeight());
  }

  function OnScroll() {
    const frame = ui.frame;
    const atNewest = NewestAtBottom()
      ? frame.scrollTop + frame.clientHeight >= frame.scrollHeight - 4
      : frame.scrollTop <= 4;
    state.following = atNewest;
    ui.follow.hidden = atNewest;
    Draw();
  }

  // ---- Start ------------------------------------------------------------------

  function Start() {
    const settings = Settings();
    for (const key of ["host", "port", "user", "password"]) ui.login.elements[key].value = settings[key];
    ui.login.addEventListener("submit", (event) => {
      event.preventDefault();
      const form = ui.login.elements;
      Connect({
        ...Settings(),
        host: form.host.value.trim(),
        port: form.port.value.trim(),
        user: form.user.value,
        password: form.password.value,
      });
    });
    ui.scale.addEventListener("change", ApplyScale);
    ui.frame.addEventListener("scroll", OnScroll);
    ui.follow.addEventListener("click", () => {
      state.following = true;
      ui.follow.hidden = true;
      Layout();
      Draw();
    });
    window.addEventListener("resize", () => {
      Layout();
      Draw();
    });
    Draw();
    Connect(settings);
  }

  Start();
})();
