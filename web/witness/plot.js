// The log drawn on a canvas of our own: the argument (depth or time) runs down the
// page, a depth track on the left, then the tablet's columns with their curves. A
// charting library draws y against x; a log needs many curves sharing one vertical
// argument axis, each column with its own horizontal scales, gaps at nulls and
// tracks shifted along the argument, which is a few hundred lines of canvas here.
//
// Only the rows in view are drawn: the rows of a run go one way along the argument
// (down, up or time), so the ones in view are found by bisection.
(function (root) {
  "use strict";

  const kDepthTrackWidth = 72;
  const kPxPerMm = 96 / 25.4;
  const kGridColor = "#e4e4e4";
  const kMajorGridColor = "#b8b8b8";
  const kFont = "12px 'DejaVu Sans', sans-serif";

  // Steps of the argument grid, in metres or seconds.
  const kDepthSteps = [0.1, 0.2, 0.5, 1, 2, 5, 10, 20, 50, 100, 200, 500, 1000];
  const kTimeSteps = [1, 2, 5, 10, 15, 30, 60, 120, 300, 600, 900, 1800, 3600, 7200];

  function FirstStep(steps, pxPerUnit, minPx, whole) {
    for (const step of steps) {
      if (step * pxPerUnit >= minPx && (!whole || Number.isInteger(step))) return step;
    }
    return steps[steps.length - 1];
  }

  // Index of the first row whose argument (+ shift) is at or past `value` along the
  // run's direction; rows must be ordered that way.
  function Bisect(rows, value, ascending) {
    let lo = 0;
    let hi = rows.length;
    while (lo < hi) {
      const mid = (lo + hi) >> 1;
      const before = ascending ? rows[mid][0] < value : rows[mid][0] > value;
      if (before) lo = mid + 1;
      else hi = mid;
    }
    return lo;
  }

  // Hours, minutes and seconds of `epochMs` at the clock of the unit that wrote
  // `started` (its own offset, not the viewer's).
  function ClockAt(epochMs, offsetMinutes) {
    const d = new Date(epochMs + offsetMinutes * 60000);
    const two = (n) => String(n).padStart(2, "0");
    return `${two(d.getUTCHours())}:${two(d.getUTCMinutes())}:${two(d.getUTCSeconds())}`;
  }

  function StartedClock(started) {
    const epoch = Date.parse(started);
    if (!Number.isFinite(epoch)) return null;
    const m = /([+-])(\d\d):?(\d\d)$/.exec(started);
    const offset = m ? (m[1] === "-" ? -1 : 1) * (Number(m[2]) * 60 + Number(m[3])) : 0;
    return { epoch, offset };
  }

  class LogPlot {
    constructor(canvas) {
      this.canvas = canvas;
      this.header = null;
      this.rows = [];
      this.ordered = true;
      this.pxPerUnit = 20;
      this.top = 0; // the argument at the canvas's top edge
    }

    SetRun(header) {
      this.header = header;
      this.clock = header.argument === "time" ? StartedClock(header.started) : null;
    }

    // Columns left to right: the argument track, then the layout's columns.
    Columns() {
      const columns = [{ x: 0, width: kDepthTrackWidth, curves: [], argument: true }];
      let x = kDepthTrackWidth;
      for (const column of this.header ? this.header.columns : []) {
        columns.push({ x, width: column.width, curves: column.curves, argument: false });
        x += column.width;
      }
      return columns;
    }

    Width() {
      const columns = this.Columns();
      const last = columns[columns.length - 1];
      return last.x + last.width + 1;
    }

    // The argument range the rows cover, each track at its own shift.
    Extent() {
      if (!this.header || this.rows.length === 0) return null;
      let lo = Infinity;
      let hi = -Infinity;
      const shifts = this.header.tracks.map((t) => t.shift);
      const minShift = shifts.length ? Math.min(0, ...shifts) : 0;
      const maxShift = shifts.length ? Math.max(0, ...shifts) : 0;
      const ends = this.ordered ? [this.rows[0], this.rows[this.rows.length - 1]] : this.rows;
      for (const row of ends) {
        lo = Math.min(lo, row[0] + minShift);
        hi = Math.max(hi, row[0] + maxShift);
      }
      return { lo, hi };
    }

    Y(argument) {
      return (argument - this.top) * this.pxPerUnit;
    }

    ArgumentLabel(value) {
      if (!this.clock) return String(Math.round(value));
      return ClockAt(this.clock.epoch + value * 1000, this.clock.offset);
    }

    Draw(cssWidth, cssHeight) {
      const ratio = root.devicePixelRatio || 1;
      const canvas = this.canvas;
      if (canvas.width !== Math.round(cssWidth * ratio) || canvas.height !== Math.round(cssHeight * ratio)) {
        canvas.width = Math.round(cssWidth * ratio);
        canvas.height = Math.round(cssHeight * ratio);
        canvas.style.width = `${cssWidth}px`;
        canvas.style.height = `${cssHeight}px`;
      }
      const ctx = canvas.getContext("2d");
      ctx.setTransform(ratio, 0, 0, ratio, 0, 0);
      ctx.fillStyle = "#ffffff";
      ctx.fillRect(0, 0, cssWidth, cssHeight);
      if (!this.header) return;
      const columns = this.Columns();
      this.DrawGrid(ctx, columns, cssHeight);
      for (const column of columns) {
        for (const curve of column.curves) this.DrawCurve(ctx, column, curve, cssHeight);
      }
      ctx.strokeStyle = "#000000";
      ctx.lineWidth = 1;
      for (const column of columns) ctx.strokeRect(column.x + 0.5, -1, column.width, cssHeight + 2);
    }

    DrawGrid(ctx, columns, height) {
      const time = this.header.argument === "time";
      const steps = time ? kTimeSteps : kDepthSteps;
      const minor = FirstStep(steps, this.pxPerUnit, 8, false);
      const major = FirstStep(steps, this.pxPerUnit, 48, true);
      const bottom = this.top + height / this.pxPerUnit;
      const first = Math.floor(this.top / minor) * minor;
      ctx.font = kFont;
      ctx.textBaseline = "middle";
      ctx.textAlign = "right";
      const labelsLeft = kDepthTrackWidth - 8;
      for (let k = 0; first + k * minor <= bottom + minor; ++k) {
        const value = first + k * minor;
        const isMajor = Math.abs(value / major - Math.round(value / major)) < 1e-6;
        const y = Math.round(this.Y(value)) + 0.5;
        ctx.strokeStyle = isMajor ? kMajorGridColor : kGridColor;
        ctx.beginPath();
        for (const column of columns) {
          const left = column.argument ? column.x + column.width - (isMajor ? 6 : 3) : column.x;
          ctx.moveTo(left, y);
          ctx.lineTo(column.x + column.width, y);
        }
        ctx.stroke();
        // A label cut by the canvas's edge is left out; the next one is whole.
        if (isMajor && y > 7 && y < height - 7) {
          ctx.fillStyle = "#000000";
          ctx.fillText(this.ArgumentLabel(value), labelsLeft, y);
        }
      }
      for (const column of columns) {
        if (column.argument || column.curves.length === 0) continue;
        this.DrawScaleLines(ctx, column, column.curves[0], height);
      }
    }

    // Vertical lines: tenths of a linear scale, decades of a logarithmic one.
    DrawScaleLines(ctx, column, curve, height) {
      ctx.strokeStyle = kGridColor;
      ctx.beginPath();
      const fractions = [];
      if (curve.log) {
        const lo = Math.log10(curve.min);
        const hi = Math.log10(curve.max);
        for (let p = Math.ceil(Math.min(lo, hi)); p <= Math.max(lo, hi); ++p) {
          for (let m = 1; m < 10; ++m) fractions.push((Math.log10(m) + p - lo) / (hi - lo));
        }
      } else {
        for (let k = 1; k < 10; ++k) fractions.push(k / 10);
      }
      for (const f of fractions) {
        if (f <= 0 || f >= 1) continue;
        const x = Math.round(column.x + f * column.width) + 0.5;
        ctx.moveTo(x, 0);
        ctx.lineTo(x, height);
      }
      ctx.stroke();
    }

    DrawCurve(ctx, column, curve, height) {
      const track = this.header.tracks[curve.track];
      const shift = track.shift;
      const rows = this.rows;
      const slack = 2 * Math.abs(this.header.step) + 1 / this.pxPerUnit;
      const lo = this.top - shift - slack;
      const hi = this.top + height / this.pxPerUnit - shift + slack;
      let begin = 0;
      let end = rows.length;
      if (this.ordered) {
        const ascending = this.header.direction !== "up";
        begin = Math.max(0, Bisect(rows, ascending ? lo : hi, ascending) - 1);
        end = Math.min(rows.length, Bisect(rows, ascending ? hi : lo, ascending) + 1);
      }
      const scaleLo = curve.log ? Math.log10(curve.min) : curve.min;
      const scaleHi = curve.log ? Math.log10(curve.max) : curve.max;
      const X = (v) => column.x + ((v - scaleLo) / (scaleHi - scaleLo)) * column.width;

      ctx.save();
      ctx.beginPath();
      ctx.rect(column.x + 1, 0, column.width - 1, height);
      ctx.clip();
      ctx.strokeStyle = curve.color;
      ctx.fillStyle = curve.color;
      ctx.lineWidth = 1.5;
      ctx.beginPath();
      let runLength = 0;
      let lastX = 0;
      let lastY = 0;
      const dotIfAlone = () => {
        if (runLength === 1) ctx.fillRect(lastX - 1, lastY - 1, 2, 2);
      };
      for (let i = begin; i < end; ++i) {
        const raw = rows[i][curve.track + 1];
        // A null sample, or one a logarithmic scale cannot place, is a gap.
        if (raw === null || (curve.log && raw <= 0)) {
          dotIfAlone();
          runLength = 0;
          continue;
        }
        const x = X(curve.log ? Math.log10(raw) : raw);
        const y = this.Y(rows[i][0] + shift);
        if (runLength === 0) ctx.moveTo(x, y);
        else ctx.lineTo(x, y);
        ++runLength;
        lastX = x;
        lastY = y;
      }
      dotIfAlone();
      ctx.stroke();
      ctx.restore();
    }
  }

  function Ordered(rows, direction) {
    const ascending = direction !== "up";
    for (let i = 1; i < rows.length; ++i) {
      if (ascending ? rows[i][0] < rows[i - 1][0] : rows[i][0] > rows[i - 1][0]) return false;
    }
    return true;
  }

  root.KestLogPlot = { LogPlot, Ordered, kPxPerMm, StartedClock, ClockAt, kDepthTrackWidth };
})(typeof self !== "undefined" ? self : this);
