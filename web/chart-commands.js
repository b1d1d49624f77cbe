// The chart's command buffer (src/web/web_surface.h) replayed on a canvas's
// 2D context, or turned into an SVG drawing: the same lines and text cells.
"use strict";

const ChartCommands = (() => {
  const PEN = 1, LINE = 2, TEXT = 3, FILL = 4;
  const MONO = '"DejaVu Sans Mono", "Liberation Mono", monospace';
  const SANS = '"DejaVu Sans", "Liberation Sans", sans-serif';
  // A font's cell (ascent + descent) is about 1.16 of its size.
  const CELL_PER_EM = 1.164;

  function colour(bgr) {
    const r = bgr & 0xff, g = (bgr >> 8) & 0xff, b = (bgr >> 16) & 0xff;
    return `rgb(${r},${g},${b})`;
  }

  function fontOf(cell, monospace) {
    return `${(cell / CELL_PER_EM).toFixed(2)}px ${monospace ? MONO : SANS}`;
  }

  // Walks the commands: line(colour, x0, y0, x1, y1), text(x, y, cell, mono,
  // string), fill(colour, left, top, right, bottom).
  function walk(commands, text, on) {
    let pen = "rgb(0,0,0)";
    for (let i = 0; i < commands.length;) {
      switch (commands[i]) {
        case PEN: pen = colour(commands[i + 1]); i += 2; break;
        case LINE: on.line(pen, commands[i + 1], commands[i + 2], commands[i + 3], commands[i + 4]); i += 5; break;
        case TEXT: {
          const at = commands[i + 5], length = commands[i + 6];
          on.text(commands[i + 1], commands[i + 2], commands[i + 3] / 16, commands[i + 4] === 1,
                  text.substring(at, at + length));
          i += 7;
          break;
        }
        case FILL:
          on.fill(colour(commands[i + 5]), commands[i + 1], commands[i + 2], commands[i + 3], commands[i + 4]);
          i += 6;
          break;
        default: return;  // a buffer this page does not know
      }
    }
  }

  // Lines of one colour in a row become one path; a pixel-wide line sits on
  // the pixel centres.
  function drawOnCanvas(ctx, width, height, commands, text) {
    ctx.fillStyle = "#fff";
    ctx.fillRect(0, 0, width, height);
    ctx.lineWidth = 1;
    ctx.lineCap = "butt";
    let open = null;
    const close = () => { if (open !== null) { ctx.stroke(); open = null; } };
    walk(commands, text, {
      line(pen, x0, y0, x1, y1) {
        if (open !== pen) { close(); ctx.strokeStyle = pen; ctx.beginPath(); open = pen; }
        ctx.moveTo(x0 + 0.5, y0 + 0.5);
        ctx.lineTo(x1 + 0.5, y1 + 0.5);
      },
      fill(fill, left, top, right, bottom) {
        close();
        ctx.fillStyle = fill;
        ctx.fillRect(left, top, right - left + 1, bottom - top + 1);
      },
      text(x, y, cell, mono, string) {
        close();
        ctx.font = fontOf(cell, mono);
        ctx.textBaseline = "middle";
        const width = ctx.measureText(string).width;
        ctx.fillStyle = "#fff";
        ctx.fillRect(x, y, width, cell);
        ctx.fillStyle = "#000";
        ctx.fillText(string, x, y + cell / 2);
      },
    });
    close();
  }

  function escape(string) {
    return string.replace(/&/g, "&amp;").replace(/</g, "&lt;").replace(/>/g, "&gt;");
  }

  // The same drawing as SVG; text widths come from the canvas's measure.
  function toSvg(width, height, commands, text, measure) {
    const out = [`<svg xmlns="http://www.w3.org/2000/svg" width="${width}" height="${height}" viewBox="0 0 ${width} ${height}">`,
                 `<rect width="${width}" height="${height}" fill="#fff"/>`];
    let path = null, pathPen = null;
    const close = () => {
      if (path !== null) out.push(`<path fill="none" stroke="${pathPen}" stroke-width="1" d="${path.join("")}"/>`);
      path = null;
    };
    walk(commands, text, {
      line(pen, x0, y0, x1, y1) {
        if (pen !== pathPen || path === null) { close(); path = []; pathPen = pen; }
        path.push(`M${x0 + 0.5} ${y0 + 0.5}L${x1 + 0.5} ${y1 + 0.5}`);
      },
      fill(fill, left, top, right, bottom) {
        close();
        out.push(`<rect x="${left}" y="${top}" width="${right - left + 1}" height="${bottom - top + 1}" fill="${fill}"/>`);
      },
      text(x, y, cell, mono, string) {
        close();
        const font = fontOf(cell, mono);
        const w = measure(font, string);
        const size = (cell / CELL_PER_EM).toFixed(2);
        out.push(`<rect x="${x}" y="${y}" width="${w.toFixed(2)}" height="${cell}" fill="#fff"/>`);
        out.push(`<text x="${x}" y="${(y + cell / 2).toFixed(2)}" dominant-baseline="middle" font-size="${size}" font-family='${mono ? MONO : SANS}' xml:space="preserve">${escape(string)}</text>`);
      },
    });
    close();
    out.push("</svg>\n");
    return out.join("\n");
  }

  // A canvas's size in device pixels, and a text size for the pictures on it.
  function canvasSize(canvas) {
    const ratio = window.devicePixelRatio || 1;
    const width = Math.max(1, Math.round(canvas.clientWidth * ratio));
    const height = Math.max(1, Math.round(canvas.clientHeight * ratio));
    return { canvas, ratio, width, height, font: Math.min(16, Math.max(9, width / ratio / 60)) * ratio };
  }

  // The canvas made width x height device pixels, the drawing replayed on it.
  function paintCanvas(canvas, width, height, drawing) {
    if (canvas.width !== width) canvas.width = width;
    if (canvas.height !== height) canvas.height = height;
    drawOnCanvas(canvas.getContext("2d"), width, height, drawing.commands, drawing.text);
  }

  return { drawOnCanvas, toSvg, canvasSize, paintCanvas };
})();
