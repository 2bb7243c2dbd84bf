// The page: the window's two tabs over the core compiled to WebAssembly
// (veilmark-core.js), which runs in a worker (core-worker.js). The core holds the
// pictures, hides, reveals, writes the bitmap and reads the message back from it;
// this script decodes pictures with the browser's decoders, moves text and points
// to the worker and back, shows boxes and offers the new picture as a download.
'use strict';

(() => {
  const LIMIT = 160;  // characters the user can type into a message box
  const OPENED = 0, FOR_BROWSER = 2;  // how the core took a file's bytes
  const READY = 0, ASK = 2;

  const pages = [...document.querySelectorAll('.page')];
  const tabs = [...document.querySelectorAll('[role="tab"]')];
  const box = document.getElementById('message-box');
  const jobBar = document.querySelector('.job');
  let downloadName = 'picture.bmp';
  let busy = Promise.resolve();

  // ---- The core, in a worker of its own. One is kept while it holds the pictures
  // opened (so that Encrypt and Decrypt start at once, as in the window), and ended
  // when File > Clear lets them go, when a job is cancelled, and after a job that
  // left its memory above RECYCLE_BYTES and above twice what the pictures it holds
  // take (a hide writes a whole bitmap beside the picture, and reads it back): a
  // WebAssembly memory only grows, so ending the worker is the one way to give it back. A fresh worker then reopens what the
  // tabs showed (the Encrypt tab from the bitmap it last made, which holds any message
  // hidden since it was opened), oldest first, as they were opened.
  const RECYCLE_BYTES = 256 << 20;
  class Cancelled extends Error {}
  let worker = null;
  let workerSource = null;
  const jobs = new Map();
  let jobCount = 0;
  let coreBytes = 0;  // the worker's memory, as its last reply said (bench and tests read it)
  const opened = [null, null];  // what each tab shows: { file, when, bytes handed to the core }
  let handed = 0;  // bytes of the picture the last open handed to the core
  let openings = 0;

  function startWorker() {
    // The core's factory and the worker's function, as one script.
    workerSource ??= URL.createObjectURL(new Blob([
      'var _scriptDir;\nvar createVeilmarkCore = ', createVeilmarkCore.toString(),
      ';\n', veilmarkCoreWorker.toString(), '\nveilmarkCoreWorker();\n'],
    { type: 'text/javascript' }));
    worker = new Worker(workerSource);
    worker.onmessage = ({ data }) => {
      if (data.memory) document.body.dataset.coreBytes = coreBytes = data.memory;
      const waiting = jobs.get(data.job);
      if (!waiting) return;
      if (data.progress) showProgress(data.progress.step, data.progress.done);
      else {
        jobs.delete(data.job);
        if (data.reply.failed) waiting.reject(new Error(data.reply.failed));
        else waiting.resolve(data.reply);
      }
    };
    worker.onerror = (event) => {
      event.preventDefault();
      for (const waiting of jobs.values()) waiting.reject(new Error(event.message));
      jobs.clear();
    };
  }
  // A worker with no job closes itself, so that its memory is let go on its own
  // thread; one busy with a job (Cancel) is stopped where it is.
  function endWorker() {
    if (jobs.size) worker?.terminate();
    else worker?.postMessage({ command: 'close' });
    worker = null;
    for (const waiting of jobs.values()) waiting.reject(new Cancelled());
    jobs.clear();
  }
  // A command for the worker; `give` lists buffers handed over rather than copied.
  function inWorker(name, details = {}, give = []) {
    if (!worker) startWorker();
    handed = give.reduce((sum, buffer) => sum + buffer.byteLength, details.file?.size ?? 0);
    const job = ++jobCount;
    return new Promise((resolve, reject) => {
      jobs.set(job, { resolve, reject });
      worker.postMessage({ ...details, command: name, job }, give);
    });
  }

  // ---- Commands run one at a time, as handlers do in the window. Each is timed, from
  // the click that asked for it, as a "veilmark NAME" measure of the page's User
  // Timing, which bench/web reads. One that runs longer than a moment shows its
  // progress and a Cancel.
  let running = null;
  function command(name, work) {
    const started = performance.now();
    busy = busy.then(async () => {
      document.body.classList.add('busy');
      running = { cancelled: false };
      const shown = setTimeout(() => { jobBar.hidden = false; }, 400);
      let cancelled = false;
      try {
        await work(running);
        performance.measure('veilmark ' + name, { start: started });
      } catch (error) {
        cancelled = error instanceof Cancelled || running.cancelled;
        if (!cancelled)
          await showBox({ text: 'The command could not finish: ' + error.message,
                          title: 'Veilmark - Error', critical: true });
      } finally {
        clearTimeout(shown);
        running = null;
      }
      const held = opened.reduce((sum, source) => sum + (source?.bytes ?? 0), 0);
      if (cancelled || coreBytes > Math.max(RECYCLE_BYTES, 2 * held)) await reopenInFreshWorker();
      jobBar.hidden = true;
      showProgress('', null);
      document.body.classList.remove('busy');
    });
    return busy;
  }
  function cancel() {
    if (!running) return;
    running.cancelled = true;
    endWorker();
  }
  const checkCancelled = (job) => { if (job.cancelled) throw new Cancelled(); };

  function showProgress(step, done) {
    jobBar.querySelector('.job-step').textContent = step;
    const bar = jobBar.querySelector('progress');
    if (done === null) bar.removeAttribute('value');
    else bar.value = done;
  }

  async function reopenInFreshWorker() {
    endWorker();
    coreBytes = 0;
    performance.mark('veilmark fresh worker');
    showProgress('Giving memory back', null);
    const again = opened.map((source, tab) => ({ source, tab })).filter(({ source }) => source)
      .sort((a, b) => a.source.when - b.source.when);
    for (const { source, tab } of again) {
      try {
        if ((await openPicture(tab, source.file, { cancelled: false }, true)) !== true) throw new Error();
        source.bytes = handed;
      } catch {
        forget(tab);
      }
    }
  }

  // ---- Message boxes: modal, as the window's are.
  // The browser gives the focus back as a dialog closes; its close event comes a
  // moment later, and input goes first, so a key pressed in between may already have
  // moved the focus on (Escape, then an arrow into a menu). Only where the focus is
  // still nowhere, or in the closed dialog, does `to` take it.
  function focusAfterClose(to) {
    const now = document.activeElement;
    if (to?.isConnected && (!now || now === document.body || now.closest('dialog'))) to.focus();
  }
  function showBox({ text, title, critical = false, ask = false }) {
    box.querySelector('.caption').textContent = title;
    box.querySelector('#message-box-text').textContent = text;
    box.querySelector('.icon').className = 'icon' + (critical ? ' critical' : ask ? ' warning' : '');
    box.querySelector('[value="cancel"]').hidden = !ask;
    box.returnValue = 'cancel';
    const before = document.activeElement;
    box.showModal();
    box.querySelector('[value="ok"]').focus();
    return new Promise((resolve) => {
      box.addEventListener('close', () => {
        if (before !== document.body) focusAfterClose(before);
        resolve(box.returnValue === 'ok');
      }, { once: true });
    });
  }
  box.addEventListener('click', (event) => {
    const button = event.target.closest('button');
    if (button) box.close(button.value);
  });

  // A box the core left in a reply; false once it is closed (true for a question
  // answered OK).
  const coreBox = (said, ask = false) => showBox({ ...said, ask });

  // A text box holds a line break as LF; the core, as the window's model, as CR LF.
  const toCrLf = (text) => text.replace(/\r?\n/g, '\r\n');
  const fromCrLf = (text) => text.replace(/\r\n/g, '\n');

  // ---- The message boxes' counter: a line break counts two, as it is stored as CR LF.
  const isBreak = (ch) => ch === '\n' || ch === '\r' || ch === '\u2028' || ch === '\u2029';
  function boxLength(text) {
    let length = 0;
    for (const ch of text) length += isBreak(ch) ? 2 : 1;
    return length;
  }
  const normaliseBreaks = (text) => text.replace(/\r\n|[\r\u2028\u2029]/g, '\n');
  // The longest start of the insertion that fits in room; a break needing two places is not split.
  function fitInsertion(text, room) {
    let used = 0, fitting = '';
    for (const ch of text) {
      const places = isBreak(ch) ? 2 : 1;
      if (used + places > room) break;
      used += places;
      fitting += ch;
    }
    return fitting;
  }
  function showCount(page) {
    const length = boxLength(page.querySelector('.message').value);
    const count = page.querySelector('.count');
    count.value = `${length}/${LIMIT}` + (length > LIMIT ? ' (over limit)' : '');
    count.title = length > LIMIT ? `This message is longer than the ${LIMIT} characters that can be typed here; it is shown whole.` : '';
  }
  function limitTyping(page) {
    const area = page.querySelector('.message');
    area.addEventListener('beforeinput', (event) => {
      let text;
      if (event.inputType === 'insertLineBreak' || event.inputType === 'insertParagraph') text = '\n';
      else if (event.data != null) text = event.data;
      else if (event.dataTransfer) text = event.dataTransfer.getData('text/plain');
      else return;  // deletions and the like
      const selected = area.value.slice(area.selectionStart, area.selectionEnd);
      const room = LIMIT - (boxLength(area.value) - boxLength(selected));
      const normal = normaliseBreaks(text);
      const fitting = fitInsertion(normal, room);
      if (fitting === text) return;
      event.preventDefault();
      if (event.isComposing || !fitting) return;
      area.setRangeText(fitting, area.selectionStart, area.selectionEnd, 'end');
      showCount(page);
    });
    area.addEventListener('input', () => showCount(page));
  }

  // ---- Opening a picture: decoded here (the browser's decoders need the page), its
  // planes or points then handed to the worker without a copy.
  // Why a picture did not open, told in the core's words (the desktop's).
  const NOT_A_PICTURE = 0, DAMAGED = 1, NO_MEMORY = 2, EMPTY = 3;
  async function refusePicture(why, file) {
    await coreBox((await inWorker('refuse', { why, name: file.name })).box);
    return false;
  }

  // A JPEG's planes as the browser's decoder leaves them before colour conversion
  // (luma, and chroma halved across, both ways or not at all), for the core, which
  // makes the points from them as the desktop's decoder does and turns them as the
  // EXIF orientation says. True when opened, false after a box, null where the
  // decoder gives something else (grey, CMYK, other halvings), which then goes
  // through the browser's own conversion.
  const HALVINGS = { I444: [0, 0, 0], I422: [1, 0, 1], I420: [1, 1, 2] };
  async function jpegPlanes(tab, file, job, found) {
    if (typeof ImageDecoder !== 'function') return null;
    let decoder, image;
    try {
      decoder = new ImageDecoder({ data: await file.arrayBuffer(), type: 'image/jpeg',
                                   colorSpaceConversion: 'none' });
      ({ image } = await decoder.decode());
    } catch {
      decoder?.close();
      return null;
    }
    let planes;
    try {
      const halving = HALVINGS[image.format];
      const { x, y, width, height } = image.visibleRect;
      if (!halving || x !== 0 || y !== 0 || !turnKnown(image)) return null;
      const [across, down, kind] = halving;
      const chromaWidth = (width + across) >> across, chromaHeight = (height + down) >> down;
      const lumaSize = width * height, chromaSize = chromaWidth * chromaHeight;
      try {
        planes = new Uint8Array(lumaSize + 2 * chromaSize);
      } catch {
        return refusePicture(NO_MEMORY, file);
      }
      await image.copyTo(planes, { layout: [
        { offset: 0, stride: width },
        { offset: lumaSize, stride: chromaWidth },
        { offset: lumaSize + chromaSize, stride: chromaWidth }] });
      await breathe();  // the copy and the preview, each a task of its own
      checkCancelled(job);
      found.preview = previewOfPlanes(planes, width, height, across, down, image,
                                      shownSize(pages[tab].querySelector('.preview')));
      const sent = { tab, name: file.name, planes: planes.buffer, width, height, kind,
                     degrees: image.rotation, mirrored: image.flip ? 1 : 0 };
      const reply = await inWorker('openPlanes', sent, [planes.buffer]);
      if (reply.box) return coreBox(reply.box).then(() => false);
      return reply.opened ? true : null;
    } finally {
      image.close();
      decoder.close();
    }
  }

  // A frame keeps its points as stored and the EXIF orientation aside: turned
  // clockwise by `rotation`, then mirrored when `flip`. A browser that does not say
  // so is not trusted with it.
  const turnKnown = (frame) => [0, 90, 180, 270].includes(frame.rotation) &&
    typeof frame.flip === 'boolean';

  // A moment for the page between slices of work done here.
  const breathe = () => new Promise((resolve) => setTimeout(resolve, 0));

  // The points as the browser's decoder gives them, without colour management:
  // through a 2D canvas a strip high, strip by strip, for as long as every point is
  // opaque (a canvas premultiplies alpha, which changes nothing at full opacity).
  // False at the first point that is not, or when no canvas can be made.
  async function opaqueThroughCanvas(picture, points, job) {
    const { width, height } = picture;
    const rows = Math.max(1, Math.floor((4 << 20) / (width * 4)));
    const canvas = document.createElement('canvas');
    canvas.width = width;
    canvas.height = rows;
    const context = canvas.getContext('2d', { willReadFrequently: true });
    if (!context) return false;
    try {
      for (let y = 0; y < height; y += rows) {
        const high = Math.min(rows, height - y);
        context.clearRect(0, 0, width, rows);
        context.drawImage(picture, 0, y, width, high, 0, 0, width, high);
        const strip = context.getImageData(0, 0, width, high).data;
        for (let i = 3; i < strip.length; i += 4) if (strip[i] !== 255) return false;
        points.set(strip, y * width * 4);
        showProgress('Reading the picture', (y + high) / height);
        await breathe();
        checkCancelled(job);
      }
      return true;
    } finally {
      canvas.width = canvas.height = 0;
    }
  }

  const NO_WEBGL2 = 'This picture has transparent points, and this browser cannot read them ' +
    'exactly: it offers no WebGL2, the graphics feature the page reads them with. Turn on ' +
    'hardware (graphics) acceleration in the browser\'s settings, or use another browser.';
  class NoWebGL2 extends Error {}

  // The same for any picture, also where points are transparent, without premultiplied
  // alpha: a WebGL2 texture uploaded as it is, read back in tiles small enough that the
  // page never waits long on one.
  async function throughWebGL2(picture, points, job) {
    const canvas = document.createElement('canvas');
    const gl = canvas.getContext('webgl2', { premultipliedAlpha: false, antialias: false });
    if (!gl) throw new NoWebGL2();
    const { width, height } = picture;
    const tile = Math.min(1024, gl.getParameter(gl.MAX_TEXTURE_SIZE));
    const texture = gl.createTexture();
    const frame = gl.createFramebuffer();
    gl.bindTexture(gl.TEXTURE_2D, texture);
    gl.bindFramebuffer(gl.FRAMEBUFFER, frame);
    gl.pixelStorei(gl.UNPACK_PREMULTIPLY_ALPHA_WEBGL, false);
    gl.pixelStorei(gl.UNPACK_COLORSPACE_CONVERSION_WEBGL, gl.NONE);
    gl.pixelStorei(gl.UNPACK_FLIP_Y_WEBGL, false);
    gl.pixelStorei(gl.PACK_ALIGNMENT, 1);
    gl.pixelStorei(gl.PACK_ROW_LENGTH, width);
    try {
      for (let y = 0; y < height; y += tile) {
        for (let x = 0; x < width; x += tile) {
          const w = Math.min(tile, width - x), h = Math.min(tile, height - y);
          const part = w === width && h === height ? picture
            : await createImageBitmap(picture, x, y, w, h,
              { premultiplyAlpha: 'none', colorSpaceConversion: 'none' });
          gl.texImage2D(gl.TEXTURE_2D, 0, gl.RGBA8, w, h, 0, gl.RGBA, gl.UNSIGNED_BYTE, part);
          gl.framebufferTexture2D(gl.FRAMEBUFFER, gl.COLOR_ATTACHMENT0, gl.TEXTURE_2D, texture, 0);
          gl.readPixels(0, 0, w, h, gl.RGBA, gl.UNSIGNED_BYTE, points, (y * width + x) * 4);
          if (part !== picture) part.close();
          checkCancelled(job);
        }
        showProgress('Reading the picture', (y + tile) / height);
        await breathe();
      }
    } finally {
      gl.deleteFramebuffer(frame);
      gl.deleteTexture(texture);
      gl.getExtension('WEBGL_lose_context')?.loseContext();
    }
  }

  // Whether the file begins as a bitmap, JPEG, PNG, GIF or WebP does: one of
  // those that cannot be decoded is damaged, as the desktop says, not unknown.
  // -1 stands for any byte.
  const BITMAP = [0x42, 0x4d], JPEG = [0xff, 0xd8, 0xff], PNG = [0x89, 0x50, 0x4e, 0x47, 0x0d, 0x0a, 0x1a, 0x0a];
  const GIF = [0x47, 0x49, 0x46, 0x38], WEBP = [0x52, 0x49, 0x46, 0x46, -1, -1, -1, -1, 0x57, 0x45, 0x42, 0x50];
  const SIGNATURES = [BITMAP, JPEG, PNG, GIF, WEBP];
  const startsAs = (head, signature) => signature.every((byte, i) => byte === -1 || head[i] === byte);
  const knownKind = (head) => SIGNATURES.some((signature) => startsAs(head, signature));

  // The size the file's header claims, read before anything is decoded, or null.
  // More points than MAX_POINTS do not fit the core's memory with the bitmap made
  // from them (4 GB for the points, four bytes each, and the bitmap, three).
  const MAX_POINTS = 2 ** 28;
  async function claimedSize(file, head) {
    const view = new DataView(head.buffer, head.byteOffset, head.byteLength);
    if (startsAs(head, PNG) && head.length >= 24) return [view.getUint32(16), view.getUint32(20)];
    if (startsAs(head, GIF) && head.length >= 10) return [view.getUint16(6, true), view.getUint16(8, true)];
    if (startsAs(head, BITMAP) && head.length >= 26)
      return [Math.abs(view.getInt32(18, true)), Math.abs(view.getInt32(22, true))];
    if (startsAs(head, WEBP) && head.length >= 30 && head[15] === 0x58)  // VP8X
      return [1 + (view.getUint32(24, true) & 0xffffff), 1 + (view.getUint32(27, true) & 0xffffff)];
    if (startsAs(head, JPEG)) {  // the first frame header within the first 256 KB
      const bytes = new Uint8Array(await file.slice(0, 256 << 10).arrayBuffer());
      const jpeg = new DataView(bytes.buffer);
      for (let at = 2; at + 9 <= bytes.length;) {
        if (bytes[at] !== 0xff) return null;
        const marker = bytes[at + 1];
        if (marker === 0xff) { at++; continue; }
        if (marker >= 0xc0 && marker <= 0xcf && ![0xc4, 0xc8, 0xcc].includes(marker))
          return [jpeg.getUint16(at + 7), jpeg.getUint16(at + 5)];
        if (marker === 0xda || marker === 0xd9) return null;
        at += 2 + jpeg.getUint16(at + 2);
      }
    }
    return null;
  }

  // True when the picture is open; false after an error box.
  async function decodeInBrowser(tab, file, head, job, found) {
    if (startsAs(head, PNG) && head[24] === 16 && head[28] === 0) {  // 16 bits a channel
      const reply = await inWorker('openDeepPng', { tab, file });
      if (reply.box) return coreBox(reply.box).then(() => false);
      return reply.opened;
    }
    if (startsAs(head, JPEG)) {
      const planes = await jpegPlanes(tab, file, job, found);
      if (planes !== null) return planes;
    }
    checkCancelled(job);
    // Upright as viewers show it (EXIF orientation applied), colours as stored; a
    // picture without alpha comes back as its points, as stored.
    const decoded = await decodeOffThread({ file, options: { imageOrientation: 'from-image',
      premultiplyAlpha: 'none', colorSpaceConversion: 'none' } });
    if (!decoded) return refusePicture(knownKind(head) ? DAMAGED : NOT_A_PICTURE, file);
    let stored = decoded;
    const picture = decoded instanceof ImageBitmap ? decoded : null;
    try {
      checkCancelled(job);
      if (picture) {  // upright, red first
        let points;
        try {
          points = new Uint8Array(picture.width * picture.height * 4);
        } catch {
          return refusePicture(NO_MEMORY, file);
        }
        if (!(await opaqueThroughCanvas(picture, points, job))) {
          try {
            await throughWebGL2(picture, points, job);
          } catch (error) {
            if (!(error instanceof NoWebGL2)) throw error;
            await showBox({ text: NO_WEBGL2, title: 'Veilmark - Error', critical: true });
            return false;
          }
        }
        stored = { points: points.buffer, width: picture.width, height: picture.height, blueFirst: 0,
                   degrees: 0, mirrored: 0 };
      }
      checkCancelled(job);
      const reply = await inWorker('openPoints', { tab, name: file.name, ...stored }, [stored.points]);
      if (reply.box) return coreBox(reply.box).then(() => false);
      return reply.opened;
    } finally {
      picture?.close();
    }
  }

  // Opens the file on the tab: true when it is open. `again` when a fresh worker
  // reopens what the tab showed.
  async function openPicture(tab, file, job, again = false) {
    if (file.size === 0) return refusePicture(EMPTY, file);
    const head = new Uint8Array(await file.slice(0, 32).arrayBuffer());
    const size = await claimedSize(file, head);
    if (size && size[0] * size[1] > MAX_POINTS)
      return coreBox((await inWorker('refuse', { name: file.name, width: size[0], height: size[1] })).box)
        .then(() => false);
    let done = false;
    const found = {};  // what decoding found on the way: a preview
    if (startsAs(head, BITMAP)) {  // the core reads bitmaps itself
      const reply = await inWorker('openFile', { tab, file });
      if (reply.outcome === OPENED) done = true;
      else if (reply.outcome === FOR_BROWSER) done = await decodeInBrowser(tab, file, head, job, found);
      else return coreBox(reply.box).then(() => false);
    } else {
      done = await decodeInBrowser(tab, file, head, job, found);
    }
    if (done !== true || again) return done;
    opened[tab] = { file, when: ++openings, bytes: handed };
    showPreview(pages[tab], file, size?.[0], found.preview);
    if (tab === 0) downloadName = file.name.replace(/\.[^.]*$/, '') + '-vm.bmp';
    return true;
  }
  function forget(tab) {
    opened[tab] = null;
    showPreview(pages[tab], null);
  }

  // The browser's decoder, in a worker of its own (see veilmarkDecodeWorker).
  let decodeSource = null;
  async function decodeOffThread(message) {
    decodeSource ??= URL.createObjectURL(new Blob(
      [veilmarkDecodeWorker.toString(), '\nveilmarkDecodeWorker();\n'], { type: 'text/javascript' }));
    const decoder = new Worker(decodeSource);
    try {
      return await new Promise((resolve) => {
        decoder.onmessage = ({ data }) => resolve(data);
        decoder.onerror = () => resolve(null);
        decoder.postMessage(message);
      });
    } finally {
      decoder.terminate();
    }
  }

  // The preview: a copy at most PREVIEW_WIDTH points wide, made off the page's thread;
  // a whole large picture decoded for an <img> would hold the page up.
  const PREVIEW_WIDTH = 1600;
  const previews = [0, 0];
  async function showPreview(page, file, width = PREVIEW_WIDTH, ready = null) {
    const tab = Number(page.dataset.tab), mine = ++previews[tab];
    const img = page.querySelector('.preview img');
    if (img.src) URL.revokeObjectURL(img.src);
    img.removeAttribute('src');
    img.hidden = true;
    if (!file) return;
    const copy = await (ready || decodeOffThread({ file, width: Math.min(width, PREVIEW_WIDTH) }))
      .catch(() => null);
    if (mine !== previews[tab]) return;
    img.src = URL.createObjectURL(copy || file);
    img.hidden = false;
  }

  // A JPEG's preview from the planes already decoded, upright, at most `most` points
  // wide: a point picked for each (the colours as a viewer converts them).
  // The points across a preview needs to look sharp in its box as it is now.
  const shownSize = (box) => Math.min(PREVIEW_WIDTH,
    Math.max(480, Math.ceil(Math.max(box.clientWidth, box.clientHeight) * devicePixelRatio)));
  function previewOfPlanes(planes, width, height, across, down, frame, most) {
    const { rotation, flip } = frame;  // read once: each read is a call into the browser
    const sideways = rotation % 180 !== 0;
    const uprightWidth = sideways ? height : width, uprightHeight = sideways ? width : height;
    const shownWidth = Math.min(most, uprightWidth);
    const shownHeight = Math.max(1, Math.round(uprightHeight * shownWidth / uprightWidth));
    const shown = new ImageData(shownWidth, shownHeight);
    const chromaWidth = (width + across) >> across, lumaSize = width * height;
    const crAt = lumaSize + chromaWidth * ((height + down) >> down);
    for (let v = 0, out = 0; v < shownHeight; v++) {
      for (let u = 0; u < shownWidth; u++, out += 4) {
        let X = Math.floor(u * uprightWidth / shownWidth), Y = Math.floor(v * uprightHeight / shownHeight);
        if (flip) X = uprightWidth - 1 - X;
        // Where the upright point lies as stored: the frame is turned clockwise by its rotation.
        const [x, y] = rotation === 90 ? [Y, height - 1 - X] : rotation === 180
          ? [width - 1 - X, height - 1 - Y] : rotation === 270 ? [width - 1 - Y, X] : [X, Y];
        const luma = planes[y * width + x], chroma = (y >> down) * chromaWidth + (x >> across);
        const cb = planes[lumaSize + chroma] - 128, cr = planes[crAt + chroma] - 128;
        shown.data[out] = luma + 1.402 * cr;
        shown.data[out + 1] = luma - 0.344136 * cb - 0.714136 * cr;
        shown.data[out + 2] = luma + 1.772 * cb;
        shown.data[out + 3] = 255;
      }
    }
    const canvas = new OffscreenCanvas(shownWidth, shownHeight);
    canvas.getContext('2d').putImageData(shown, 0, 0);
    return canvas.convertToBlob({ type: 'image/jpeg', quality: 0.9 });
  }

  // ---- Encrypt and Decrypt.
  async function hide() {
    const page = pages[0];
    const texts = { password: page.querySelector('.password').value,
                    message: toCrLf(page.querySelector('.message').value),
                    seal: page.querySelector('.seal').checked };
    const check = await inWorker('checkHide', texts);
    if (check.check !== READY && check.check !== ASK) return coreBox(check.box);
    if (check.check === ASK && !(await coreBox(check.box, true))) return;
    const reply = await inWorker('hide', { ...texts, name: downloadName });
    if (!reply.picture) return coreBox(reply.box);
    // What the Encrypt tab holds now, should a fresh worker have to reopen it.
    if (opened[0]) opened[0].file = new File([reply.picture], opened[0].file.name);
    // The browser's save flow stands in for the save dialog.
    const link = document.createElement('a');
    link.href = URL.createObjectURL(reply.picture);
    link.download = downloadName;
    link.click();
    setTimeout(() => URL.revokeObjectURL(link.href), 60000);
  }

  async function reveal() {
    const page = pages[1];
    const reply = await inWorker('reveal', { password: page.querySelector('.password').value });
    if (reply.box) return coreBox(reply.box);
    const area = page.querySelector('.message');
    area.value = fromCrLf(reply.message);
    fitToText(area);
    showCount(page);
    // A sealed message this password does not open: the box is emptied, then told why.
    if (reply.told) await coreBox(reply.told);
  }

  function clearAll() {
    endWorker();  // its memory goes with it; the next command starts a fresh one
    coreBytes = 0;
    for (const page of pages) {
      page.querySelector('.password').value = '';
      page.querySelector('.message').value = '';
      page.querySelector('input[type="file"]').value = '';
      fitToText(page.querySelector('.message'));
      showCount(page);
    }
    forget(0);
    forget(1);
  }

  // A message box grows with its text, so a long message reads to its end.
  function fitToText(area) {
    area.style.height = '';
    if (area.scrollHeight > area.clientHeight)
      area.style.height = area.scrollHeight + (area.offsetHeight - area.clientHeight) + 'px';
  }

  // ---- Tabs, as a tab control: click, or the arrow keys on the tab row.
  function selectTab(index) {
    tabs.forEach((tab, i) => {
      tab.setAttribute('aria-selected', String(i === index));
      tab.tabIndex = i === index ? 0 : -1;
      pages[i].hidden = i !== index;
    });
  }
  tabs.forEach((tab, i) => {
    tab.addEventListener('click', () => selectTab(i));
    tab.addEventListener('keydown', (event) => {
      if (event.key !== 'ArrowLeft' && event.key !== 'ArrowRight') return;
      const next = (i + 1) % tabs.length;
      selectTab(next);
      tabs[next].focus();
    });
  });

  for (const page of pages) {
    const tab = Number(page.dataset.tab);
    limitTyping(page);
    const area = page.querySelector('.message');
    area.addEventListener('input', () => fitToText(area));
    const input = page.querySelector('input[type="file"]');
    input.addEventListener('change', () => {
      if (input.files.length === 1) command('open', (job) => openPicture(tab, input.files[0], job));
    });
    page.querySelector('.action').addEventListener('click',
      () => (tab === 0 ? command('hide', hide) : command('reveal', reveal)));
    // A picture dropped on a tab opens as Open Image would.
    page.addEventListener('dragover', (event) => {
      if (event.dataTransfer.types.includes('Files')) event.preventDefault();
    });
    page.addEventListener('drop', (event) => {
      event.preventDefault();
      const file = event.dataTransfer.files[0];
      if (event.dataTransfer.files.length === 1) command('open', (job) => openPicture(tab, file, job));
    });
  }
  // A file dropped anywhere else is not opened by the browser in place of the page.
  window.addEventListener('dragover', (event) => event.preventDefault());
  window.addEventListener('drop', (event) => event.preventDefault());
  jobBar.querySelector('.cancel').addEventListener('click', cancel);

  // ---- Menus, as a menu bar: Enter, Space or the down arrow opens one on its first
  // item, the arrows move between items and menus, Escape closes it and gives the
  // focus back to its title.
  const menus = [...document.querySelectorAll('.menu')];
  const titleOf = (menu) => menu.querySelector('.menu-title');
  const itemsOf = (menu) => [...menu.querySelectorAll('[role="menuitem"]')];
  function closeMenus() {
    for (const menu of menus) {
      menu.querySelector('.menu-items').hidden = true;
      titleOf(menu).setAttribute('aria-expanded', 'false');
    }
  }
  function openMenu(menu, item = 0) {
    closeMenus();
    menu.querySelector('.menu-items').hidden = false;
    titleOf(menu).setAttribute('aria-expanded', 'true');
    const items = itemsOf(menu);
    items[(item + items.length) % items.length].focus();
  }
  menus.forEach((menu, m) => {
    const title = titleOf(menu);
    title.addEventListener('click', (event) => {
      event.stopPropagation();
      if (title.getAttribute('aria-expanded') === 'true') closeMenus();
      else openMenu(menu);
    });
    title.addEventListener('keydown', (event) => {
      if (event.key === 'ArrowDown') openMenu(menu);
      else if (event.key === 'ArrowUp') openMenu(menu, -1);
      else if (event.key === 'ArrowRight' || event.key === 'ArrowLeft')
        titleOf(menus[(m + (event.key === 'ArrowRight' ? 1 : menus.length - 1)) % menus.length]).focus();
      else return;
      event.preventDefault();
    });
    menu.querySelector('.menu-items').addEventListener('keydown', (event) => {
      const items = itemsOf(menu), at = items.indexOf(document.activeElement);
      const moves = { ArrowDown: at + 1, ArrowUp: at - 1, Home: 0, End: items.length - 1 };
      if (event.key in moves) items[(moves[event.key] + items.length) % items.length].focus();
      else if (event.key === 'ArrowRight' || event.key === 'ArrowLeft')
        openMenu(menus[(m + (event.key === 'ArrowRight' ? 1 : menus.length - 1)) % menus.length]);
      else if (event.key === 'Escape') {
        closeMenus();
        title.focus();
      } else if (event.key === 'Tab') closeMenus();
      else return;
      event.preventDefault();
    });
  });
  document.addEventListener('click', closeMenus);
  // Help and About as modal dialogs; on closing, the focus goes back to the menu.
  function showDialog(id, title) {
    const dialog = document.getElementById(id);
    dialog.addEventListener('close', () => focusAfterClose(title), { once: true });
    dialog.showModal();
    dialog.querySelector('.close').focus();
  }
  for (const item of document.querySelectorAll('[data-command]')) {
    const title = titleOf(item.closest('.menu'));
    const commands = {
      clear: () => command('clear', clearAll).then(() => title.focus()),
      contents: () => showDialog('help', title),
      about: () => showDialog('about', title),
    };
    item.addEventListener('click', () => {
      closeMenus();
      title.focus();
      commands[item.dataset.command]();
    });
  }
  for (const close of document.querySelectorAll('dialog .close'))
    close.addEventListener('click', () => close.closest('dialog').close());

  // ---- Offline: a service worker keeps the page's own files for when there is no
  // network (only where the page is served over http(s); a saved copy needs none).
  if ('serviceWorker' in navigator && window.isSecureContext && location.protocol !== 'file:')
    navigator.serviceWorker.register('offline.js').catch(() => {});
  startWorker();
})();
