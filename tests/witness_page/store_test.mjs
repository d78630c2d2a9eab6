// The witness page's model without a browser: what a viewer holds after the broker
// delivered a run's messages in any order it may, and how damaged messages are
// refused.
import { test } from "node:test";
import assert from "node:assert/strict";
import { createRequire } from "node:module";
import { Random } from "./seeded_random.mjs";

const require = createRequire(import.meta.url);
const Store = require("../../web/witness/store.js");

const Pick = (random, n) => Math.floor(random() * n);

// A publisher's run: each tick appends rows, or moves back up (withdraws), or writes
// the last rows again; then it sends the live message and republishes the history
// chunks that changed, clearing the chunks wholly withdrawn. Returns the messages in
// publishing order.
function PublishRun(random, tracks) {
  const rows = [];
  const published = [];
  let chunksOut = 0;
  const ticks = 20 + Pick(random, 30);
  for (let tick = 0; tick < ticks; ++tick) {
    const kind = rows.length > 50 ? Pick(random, 6) : 0;
    let from;
    if (kind === 4) {
      from = Math.max(0, rows.length - 1 - Pick(random, 1200));
      rows.length = from;
    } else {
      from = kind === 5 ? Math.max(0, rows.length - Pick(random, 40)) : rows.length;
      rows.length = from;
      const count = Pick(random, 700);
      for (let k = 0; k < count; ++k) {
        const i = rows.length;
        const row = [i * 0.1 + tick * 1e-3];
        for (let t = 0; t < tracks; ++t)
          row.push(random() < 0.1 ? null : Number((random() * 100).toPrecision(9)));
        rows.push(row);
      }
    }
    const send = (topic, payload) => published.push({ topic, payload, tick });
    send("rows", JSON.stringify({ from, rows: rows.slice(from) }));
    const chunks = Math.ceil(rows.length / 1000);
    for (let n = Math.floor(from / 1000); n < chunks; ++n) {
      const chunk = { from: n * 1000, rows: rows.slice(n * 1000, n * 1000 + 1000), total: rows.length };
      send(`history/${n}`, JSON.stringify(chunk));
    }
    for (let n = chunks; n < chunksOut; ++n) send(`history/${n}`, "");
    chunksOut = chunks;
    published[published.length - 1].state = rows.slice();
  }
  return { rows, published };
}

// A viewer that subscribes to one kind of topic after message `join` and to the other
// a little later. Live rows first: the rows published between come first, then what
// the broker retained of the history (in any chunk order), then everything after.
// History first: the retained history, the history published between, then the rest;
// the live rows between are lost to it.
function Deliveries(random, published, join) {
  const second = Math.min(published.length, join + Pick(random, 4));
  const between = published.slice(join, second);
  const rowsFirst = random() < 0.5;
  const retained = new Map();
  for (const m of published.slice(0, rowsFirst ? second : join)) {
    if (m.topic.startsWith("history/")) retained.set(m.topic, m.payload);
  }
  const history = [...retained]
    .filter(([, payload]) => payload !== "")
    .map(([topic, payload]) => ({ topic, payload }));
  for (let i = history.length - 1; i > 0; --i) {
    const j = Pick(random, i + 1);
    [history[i], history[j]] = [history[j], history[i]];
  }
  const early = between.filter((m) => (m.topic === "rows") === rowsFirst);
  const later = published.slice(second);
  const deliveries = rowsFirst ? [...early, ...history, ...later] : [...history, ...early, ...later];
  // The viewer is caught up from the first whole tick after both subscriptions.
  return { deliveries, caughtUp: later.length ? later[0].tick + 1 : Infinity };
}

function Apply(run, topic, payload, tracks) {
  if (payload === "") return run.ClearChunk(Number(topic.split("/")[1]));
  const history = topic.startsWith("history/");
  const message = Store.ParseRows(Store.ParseJson(payload), tracks, history);
  if (history) run.ApplyHistory(message);
  else run.ApplyRows(message);
}

test("a viewer joining at any moment holds the run's rows after each tick, nulls as nulls", () => {
  for (let seed = 1; seed <= 30; ++seed) {
    const random = Random(seed);
    const tracks = 1 + Pick(random, 4);
    const { rows, published } = PublishRun(random, tracks);
    const join = Pick(random, published.length);
    const run = new Store.RunRows(tracks);
    const { deliveries, caughtUp } = Deliveries(random, published, join);
    for (const m of deliveries) {
      Apply(run, m.topic, m.payload, tracks);
      if (!m.state || m.tick < caughtUp) continue;
      assert.equal(run.length, m.state.length, `seed ${seed} tick ${m.tick}: rows held`);
      if (JSON.stringify(run.rows) === JSON.stringify(m.state)) continue;
      const differ = m.state.findIndex((row, i) => JSON.stringify(row) !== JSON.stringify(run.rows[i]));
      assert.fail(`seed ${seed} tick ${m.tick}: row ${differ} differs`);
    }
    const differ = rows.findIndex((row, i) => JSON.stringify(row) !== JSON.stringify(run.rows[i]));
    assert.deepEqual(
      [run.length, differ],
      [rows.length, -1],
      `seed ${seed}: rows held at the end, first that differs`,
    );
  }
});

test("rows beyond a gap wait for the history; older rows and chunks sent again change nothing", () => {
  const run = new Store.RunRows(1);
  const range = (a, b, factor = 2) => Array.from({ length: b - a }, (_, k) => [a + k, (a + k) * factor]);
  run.ApplyRows({ from: 1200, rows: range(1200, 1300) }); // before any history
  run.ApplyRows({ from: 900, rows: range(900, 1000, 3) }); // older than the history to come
  assert.equal(run.length, 0);
  run.ApplyHistory({ from: 1000, rows: range(1000, 1200), total: 1200 }); // chunk 1 first
  assert.equal(run.length, 0);
  run.ApplyHistory({ from: 0, rows: range(0, 1000), total: 1200 });
  assert.deepEqual(run.rows, range(0, 1300));
  assert.equal(run.pending.length, 0);
  // On reconnecting the broker sends the retained chunks again.
  run.ApplyHistory({ from: 0, rows: range(0, 1000), total: 1200 });
  assert.deepEqual(run.rows, range(0, 1300));
  // Moved back up to the chunk's start: chunk 1 cleared, chunk 0 unchanged, not sent.
  run.ClearChunk(1);
  assert.deepEqual(run.rows, range(0, 1000));
});

// Every way a message can be malformed that a reader might trip on; each must be
// refused with a WitnessError, never another exception.
const kHeader = {
  unit: "u",
  run: "r",
  research: "",
  well: "",
  argument: "depth",
  step: 0.1,
  direction: "down",
  started: "2026-12-10T03:15:00+03:00",
  tracks: [{ name: "a", mnemonic: "A", unit: "", caption: "", offset: 0, shift: 0 }],
  layout: { columns: [{ width: 100, curves: [{ track: 0, min: 0, max: 1, color: "#ff0000", log: false }] }] },
};
const With = (change) => JSON.parse(JSON.stringify({ ...kHeader, ...change }));

test("damaged messages are refused with a reason", () => {
  const header = [
    null,
    [],
    "x",
    5,
    With({ argument: "length" }),
    With({ direction: "sideways" }),
    With({ argument: "time" }),
    With({ tracks: "no" }),
    With({ tracks: [null] }),
    With({ tracks: Array(1001).fill({}) }),
    With({ step: "0.1" }),
    With({ unit: 7 }),
    With({ layout: null }),
    With({ layout: { columns: [null] } }),
    With({ layout: { columns: [{ width: 5, curves: [] }] } }),
    With({ layout: { columns: [{ width: 100, curves: [{ track: 1, min: 0, max: 1 }] }] } }),
    With({ layout: { columns: [{ width: 100, curves: [{ track: 0.5, min: 0, max: 1 }] }] } }),
    With({ layout: { columns: [{ width: 100, curves: [{ track: 0, min: 1, max: 1 }] }] } }),
    With({ layout: { columns: [{ width: 100, curves: [{ track: 0, min: 0, max: 10, log: true }] }] } }),
    With({ layout: { columns: [{ width: 100, curves: [{ track: 0, min: "0", max: 1 }] }] } }),
  ];
  for (const value of header)
    assert.throws(() => Store.ParseHeader(value), Store.WitnessError, JSON.stringify(value));

  const rows = [
    null,
    {},
    { from: 0 },
    { from: "0", rows: [] },
    { from: -1, rows: [] },
    { from: 0.5, rows: [] },
    { from: 0, rows: [5] },
    { from: 0, rows: [[1]] },
    { from: 0, rows: [[1, 2, 3]] },
    { from: 0, rows: [[null, 2]] },
    { from: 0, rows: [["1", 2]] },
    { from: 0, rows: [[1, "2"]] },
    { from: 0, rows: [[1, [2]]] },
    {
      from: 0,
      rows: [
        [1, 2],
        [1, true],
      ],
    },
  ];
  for (const value of rows)
    assert.throws(() => Store.ParseRows(value, 1, false), Store.WitnessError, JSON.stringify(value));
  const history = [
    { from: 0, rows: [[1, 2]] },
    { from: 500, rows: [], total: 500 },
    { from: 0, rows: [[1, 2]], total: 0 },
    { from: 0, rows: Array(1001).fill([1, 2]), total: 1001 },
  ];
  for (const value of history)
    assert.throws(
      () => Store.ParseRows(value, 1, true),
      Store.WitnessError,
      JSON.stringify(value).slice(0, 80),
    );

  for (const value of [
    null,
    { runs: {} },
    { unit: "u", runs: [{ run: "a/b" }] },
    { unit: "u", runs: [{ run: "#" }] },
    { unit: 1, runs: [] },
  ])
    assert.throws(() => Store.ParseRuns(value), Store.WitnessError, JSON.stringify(value));
  for (const value of [null, { rows: -1 }, { rows: "3" }, { file: 3, rows: 3 }])
    assert.throws(() => Store.ParseEnd(value), Store.WitnessError, JSON.stringify(value));

  const big = new Uint8Array(Store.kMaxMessageBytes + 1).fill(0x20);
  for (const payload of [big, new Uint8Array([0x7b, 0xff, 0x7d]), new TextEncoder().encode('{"from":'), ""])
    assert.throws(() => Store.ParseJson(payload), Store.WitnessError);
  assert.deepEqual(Store.ParseJson(new TextEncoder().encode('{"a":"Скважина"}')), { a: "Скважина" });
});

test("mutated messages parse or are refused, never break the reader", () => {
  const random = Random(34);
  const good = [
    ["header", JSON.stringify(kHeader)],
    [
      "rows",
      JSON.stringify({
        from: 0,
        rows: [
          [1200, 0.5],
          [1200.1, null],
        ],
      }),
    ],
    ["history", JSON.stringify({ from: 0, rows: [[1200, 0.5]], total: 1 })],
    ["runs", JSON.stringify({ unit: "u", runs: [{ run: "r", started: "", state: "ended" }] })],
  ];
  const parse = {
    header: (v) => Store.ParseHeader(v),
    rows: (v) => Store.ParseRows(v, 1, false),
    history: (v) => Store.ParseRows(v, 1, true),
    runs: (v) => Store.ParseRuns(v),
  };
  const pieces = ["null", "[]", "{}", "-1", "1e400", '""', ",", "]", "}", "0", "true", "[[", '"x"'];
  for (let k = 0; k < 5000; ++k) {
    const [kind, text] = good[Pick(random, good.length)];
    const at = Pick(random, text.length);
    const cut = Pick(random, 4);
    const mutated = text.slice(0, at) + pieces[Pick(random, pieces.length)] + text.slice(at + cut);
    try {
      parse[kind](Store.ParseJson(new TextEncoder().encode(mutated)));
    } catch (error) {
      if (!(error instanceof Store.WitnessError)) assert.fail(`${kind} ${mutated}: ${error.stack}`);
    }
  }
});

test("topics: only the run's own, names without wildcards or slashes", () => {
  assert.deepEqual(Store.SplitTopic("kest/u/runs"), { unit: "u", kind: "runs" });
  assert.deepEqual(Store.SplitTopic("kest/u/r/history/12"), {
    unit: "u",
    run: "r",
    kind: "history",
    chunk: 12,
  });
  for (const topic of [
    "kest/u/r/history/01",
    "kest/u/r/history/-1",
    "kest/u/r/history/x",
    "kest/u/r/rows/x",
    "kest/u/r/other",
    "other/u/r/rows",
    "kest/u",
    "kest/u/r/history/9999999999",
  ])
    assert.equal(Store.SplitTopic(topic), null, topic);
  for (const name of ["a/b", "#", "a+b", ""]) assert.equal(Store.ValidName(name), false, name);
});
