// The core's own thread. The pictures the page opened, and every command that reads
// or changes them, live here, so the page stays responsive while they run. page.js
// starts it from this function's source and the core's (a blob: script), so a worker
// costs no request and works from a saved copy of the page too.
'use strict';

// eslint-disable-next-line no-unused-vars
function veilmarkCoreWorker() {
  const core = createVeilmarkCore();  // compiled at once from the bytes in its script
  let job = 0;
  const progress = (step, done = null) => postMessage({ job, progress: { step, done } });

  const box = () => ({ text: core.UTF8ToString(core._vm_box_text()),
                       title: core.UTF8ToString(core._vm_box_title()),
                       critical: core._vm_box_critical() === 1 });
  function putText(which, text) {
    const points = Array.from(text, (ch) => ch.codePointAt(0));
    const at = core._vm_text_in(which, points.length);
    new Uint32Array(core.HEAPU8.buffer, at, points.length).set(points);
  }

  // Bytes into the buffer the core hands out for the next picture, in slices so that
  // the page can show how far it got. False when memory is short.
  function intoCore(bytes, step) {
    const at = core._vm_buffer(bytes.length);
    if (!at) return false;
    const slice = 32 << 20;
    for (let offset = 0; offset < bytes.length; offset += slice) {
      core.HEAPU8.set(bytes.subarray(offset, offset + slice), at + offset);
      if (bytes.length > slice) progress(step, Math.min(1, (offset + slice) / bytes.length));
    }
    return true;
  }

  // ---- A PNG of 16 bits a channel, read here: a browser's decoder drops the low byte,
  // where the desktop rounds (v / 257). Null when the file is damaged, false when
  // memory is short, else the points as RGBA.
  async function deepPng(data) {
    const view = new DataView(data.buffer, data.byteOffset, data.byteLength);
    const width = view.getUint32(16), height = view.getUint32(20), kind = data[25];
    const channels = { 0: 1, 2: 3, 4: 2, 6: 4 }[kind];
    if (!channels || data[24] !== 16 || data[28] !== 0 || !width || !height) return null;
    const inflate = new DecompressionStream('deflate');
    const writer = inflate.writable.getWriter();
    const writing = (async () => {
      for (let at = 8; at + 12 <= data.length;) {
        const length = view.getUint32(at), type = String.fromCharCode(...data.subarray(at + 4, at + 8));
        if (at + 12 + length > data.length) break;
        if (type === 'IDAT') await writer.write(data.subarray(at + 8, at + 8 + length));
        if (type === 'IEND') break;
        at += 12 + length;
      }
      await writer.close();
    })().catch(() => {});
    const stride = width * channels * 2, size = width * height * 4;
    const at = core._vm_buffer(size);
    if (!at) return false;
    let previous = new Uint8Array(stride), row = new Uint8Array(stride), filled = -1, y = 0;
    let filter = 0;
    const reader = inflate.readable.getReader();
    try {
      for (;;) {
        const { done, value } = await reader.read();
        if (done) break;
        for (let i = 0; i < value.length && y < height;) {
          if (filled < 0) {
            filter = value[i++];
            filled = 0;
            continue;
          }
          const take = Math.min(stride - filled, value.length - i);
          row.set(value.subarray(i, i + take), filled);
          filled += take;
          i += take;
          if (filled < stride) continue;
          if (!unfilter(filter, row, previous, channels * 2)) return null;
          putRow(row, core.HEAPU8, at + y * width * 4, width, channels);
          [previous, row] = [row, previous];
          filled = -1;
          if (++y % 256 === 0) progress('Reading the picture', y / height);
        }
      }
    } catch {
      return null;
    }
    await writing;
    return y === height ? { width, height } : null;
  }
  function unfilter(filter, row, above, step) {
    const n = row.length;
    switch (filter) {
      case 0: return true;
      case 1: for (let i = step; i < n; i++) row[i] += row[i - step]; return true;
      case 2: for (let i = 0; i < n; i++) row[i] += above[i]; return true;
      case 3:
        for (let i = 0; i < n; i++) row[i] += ((i >= step ? row[i - step] : 0) + above[i]) >> 1;
        return true;
      case 4:
        for (let i = 0; i < n; i++) {
          const a = i >= step ? row[i - step] : 0, b = above[i], c = i >= step ? above[i - step] : 0;
          const p = a + b - c, pa = Math.abs(p - a), pb = Math.abs(p - b), pc = Math.abs(p - c);
          row[i] += pa <= pb && pa <= pc ? a : pb <= pc ? b : c;
        }
        return true;
      default: return false;
    }
  }
  // v / 257 rounded, as the desktop turns 16 bits into 8.
  const eight = (high, low) => (((high << 8) | low) * 255 + 32767) / 65535 | 0;
  function putRow(row, heap, at, width, channels) {
    for (let x = 0, i = 0; x < width; x++, i += channels * 2, at += 4) {
      if (channels <= 2) {
        heap[at] = heap[at + 1] = heap[at + 2] = eight(row[i], row[i + 1]);
        heap[at + 3] = channels === 2 ? eight(row[i + 2], row[i + 3]) : 255;
      } else {
        heap[at] = eight(row[i], row[i + 1]);
        heap[at + 1] = eight(row[i + 2], row[i + 3]);
        heap[at + 2] = eight(row[i + 4], row[i + 5]);
        heap[at + 3] = channels === 4 ? eight(row[i + 6], row[i + 7]) : 255;
      }
    }
  }

  const NO_MEMORY = 2, DAMAGED = 1;
  function refused(why, name) {
    core.ccall('vm_refuse_picture', null, ['number', 'string'], [why, name]);
    return { opened: false, box: box() };
  }

  const commands = {
    async openFile({ tab, file }) {
      progress('Reading the picture');
      if (!intoCore(new Uint8Array(await file.arrayBuffer()), 'Reading the picture'))
        return refused(NO_MEMORY, file.name);
      const outcome = core.ccall('vm_open_file', 'number', ['number', 'string', 'number'],
        [tab, file.name, file.size]);
      return { outcome, box: outcome === 0 ? null : box() };
    },
    openPoints({ tab, name, points, width, height, blueFirst, degrees, mirrored }) {
      if (!intoCore(new Uint8Array(points), 'Reading the picture')) return refused(NO_MEMORY, name);
      return { opened: core._vm_open_decoded(tab, width, height, blueFirst, degrees, mirrored) === 1 };
    },
    openPlanes({ tab, name, planes, width, height, kind, degrees, mirrored }) {
      if (!intoCore(new Uint8Array(planes), 'Reading the picture')) return refused(NO_MEMORY, name);
      return { opened: core._vm_open_planes(tab, width, height, kind, degrees, mirrored) === 1 };
    },
    async openDeepPng({ tab, file }) {
      progress('Reading the picture', 0);
      const read = await deepPng(new Uint8Array(await file.arrayBuffer()));
      if (!read) return refused(read === false ? NO_MEMORY : DAMAGED, file.name);
      return { opened: core._vm_open_decoded(tab, read.width, read.height, 0, 0, 0) === 1 };
    },
    refuse({ why, name, width, height }) {
      if (width !== undefined)
        core.ccall('vm_refuse_too_large', null, ['string', 'number', 'number'], [name, width, height]);
      else core.ccall('vm_refuse_picture', null, ['number', 'string'], [why, name]);
      return { box: box() };
    },
    checkHide({ password, message, seal }) {
      putText(0, password);
      putText(1, message);
      const check = core._vm_check_hide(seal ? 1 : 0);
      return { check, box: check === 0 ? null : box() };
    },
    hide({ password, message, name, seal }) {
      putText(0, password);
      putText(1, message);
      progress(seal ? 'Sealing the message with the password and writing the new picture'
                    : 'Hiding the message and writing the new picture');
      if (core.ccall('vm_hide', 'number', ['string', 'number'], [name, seal ? 1 : 0]) !== 1)
        return { box: box() };
      const at = core._vm_saved(), size = core._vm_saved_size();
      const picture = new Blob([core.HEAPU8.subarray(at, at + size)], { type: 'image/bmp' });
      core._vm_release_saved();
      return { picture };
    },
    reveal({ password }) {
      putText(0, password);
      progress('Reading the message');
      // 2: read, and a sealed message this password does not open is to be told.
      const done = core._vm_reveal();
      if (done !== 1 && done !== 2) return { box: box() };
      return { message: core.UTF8ToString(core._vm_revealed()), told: done === 2 ? box() : null };
    },
  };

  onmessage = async ({ data }) => {
    if (data.command === 'close') return close();
    job = data.job;
    let reply;
    try {
      reply = await commands[data.command](data);
    } catch (error) {
      reply = { failed: String(error && error.message || error) };
    }
    postMessage({ job, reply, memory: core.HEAPU8.length });
  };
  postMessage({ ready: true, memory: core.HEAPU8.length });
}

// A worker of its own for decoding with the browser's decoder, which would otherwise
// hold the page up while it decodes a large picture. With `options`: the points of a
// picture without alpha as its decoded frame holds them ({ points, width, height,
// blueFirst, degrees, mirrored }, as stored), or else the picture as an ImageBitmap.
// Without: a preview, a copy at most `width` points wide as the browser shows it.
// Null where the browser cannot decode it.
// eslint-disable-next-line no-unused-vars
function veilmarkDecodeWorker() {
  // A frame keeps its points as stored and the EXIF orientation aside: turned
  // clockwise by `rotation`, then mirrored when `flip`. A browser that does not say
  // so is not trusted with it.
  const turnKnown = (frame) => [0, 90, 180, 270].includes(frame.rotation) &&
    typeof frame.flip === 'boolean';
  // The frame's BGRX or RGBX points straight into a buffer, with no canvas between.
  async function opaqueFrame(picture) {
    if (typeof VideoFrame !== 'function') return null;
    let frame;
    try {
      frame = new VideoFrame(picture, { timestamp: 0 });
    } catch {
      return null;
    }
    try {
      if ((frame.format !== 'BGRX' && frame.format !== 'RGBX') || !turnKnown(frame)) return null;
      const sideways = frame.rotation % 180 !== 0;
      const width = sideways ? picture.height : picture.width;
      const height = sideways ? picture.width : picture.height;
      if (frame.codedWidth !== width || frame.codedHeight !== height) return null;
      const points = new Uint8Array(width * height * 4);
      await frame.copyTo(points, { layout: [{ offset: 0, stride: width * 4 }] });
      return { points: points.buffer, width, height, blueFirst: frame.format === 'BGRX' ? 1 : 0,
               degrees: frame.rotation, mirrored: frame.flip ? 1 : 0 };
    } finally {
      frame.close();
    }
  }
  onmessage = async ({ data: { file, options, width } }) => {
    try {
      if (options) {
        const picture = await createImageBitmap(file, options);
        const stored = await opaqueFrame(picture).catch(() => null);
        if (stored) postMessage(stored, [stored.points]);
        else postMessage(picture, [picture]);
        return;
      }
      const bitmap = await createImageBitmap(file, { imageOrientation: 'from-image',
        resizeWidth: width, resizeQuality: 'medium' });
      const canvas = new OffscreenCanvas(bitmap.width, bitmap.height);
      canvas.getContext('2d').drawImage(bitmap, 0, 0);
      bitmap.close();
      postMessage(await canvas.convertToBlob());
    } catch {
      postMessage(null);
    }
  };
}
