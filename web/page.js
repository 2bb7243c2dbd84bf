// The page: the window's two tabs over the core compiled to WebAssembly
// (veilmark-core.js). The core holds the pictures, hides, reveals, writes the
// bitmap and reads the message back from it; this script only moves text and
// points in and out, shows boxes and offers the new picture as a download.
'use strict';

(() => {
  const LIMIT = 160;  // characters the user can type into a message box
  const OPENED = 0, REFUSED = 1, FOR_BROWSER = 2;
  const READY = 0, ASK = 2;

  let core = null;
  // The module is compiled at once from the bytes embedded in its script.
  const coreReady = Promise.resolve(createVeilmarkCore()).then((module) => { core = module; });

  const pages = [...document.querySelectorAll('.page')];
  const tabs = [...document.querySelectorAll('[role="tab"]')];
  const box = document.getElementById('message-box');
  let downloadName = 'picture.bmp';
  let busy = Promise.resolve();

  // Commands run one at a time, as handlers do in the window. Each is timed as a
  // "veilmark NAME" measure of the page's User Timing, which bench/web reads.
  function command(name, work) {
    busy = busy.then(async () => {
      await coreReady;
      document.body.classList.add('busy');
      const started = performance.now();
      try {
        await work();
        performance.measure('veilmark ' + name, { start: started });
      } catch (error) {
        await showBox({ text: 'The command could not finish: ' + error.message,
                        title: 'Veilmark - Error', critical: true });
      } finally {
        document.body.classList.remove('busy');
      }
    });
    return busy;
  }

  // ---- Message boxes: modal, as the window's are.
  function showBox({ text, title, critical = false, ask = false }) {
    box.querySelector('.caption').textContent = title;
    box.querySelector('#message-box-text').textContent = text;
    box.querySelector('.icon').className = 'icon' + (critical ? ' critical' : ask ? ' warning' : '');
    box.querySelector('[value="cancel"]').hidden = !ask;
    box.returnValue = 'cancel';
    box.showModal();
    box.querySelector('[value="ok"]').focus();
    return new Promise((resolve) => {
      box.addEventListener('close', () => resolve(box.returnValue === 'ok'), { once: true });
    });
  }
  box.addEventListener('click', (event) => {
    const button = event.target.closest('button');
    if (button) box.close(button.value);
  });

  function coreBox(ask = false) {
    return showBox({ text: core.UTF8ToString(core._vm_box_text()),
                     title: core.UTF8ToString(core._vm_box_title()),
                     critical: core._vm_box_critical() === 1, ask });
  }

  // ---- Text into the core as code points, so nothing is lost or replaced on the way.
  function putText(which, text) {
    const points = Array.from(text, (ch) => ch.codePointAt(0));
    const at = core._vm_text_in(which, points.length);
    new Uint32Array(core.HEAPU8.buffer, at, points.length).set(points);
  }
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

  // ---- Opening a picture.
  // Why a picture did not open, told in the core's words (the desktop's).
  const NOT_A_PICTURE = 0, DAMAGED = 1, NO_MEMORY = 2, EMPTY = 3;
  function refusePicture(why, file) {
    core.ccall('vm_refuse_picture', null, ['number', 'string'], [why, file.name]);
    return coreBox().then(() => false);
  }

  // The file's bytes straight into a buffer of the module: no second copy.
  async function fileIntoCore(file) {
    const at = core._vm_buffer(file.size);
    if (!at) return false;
    let offset = at;
    const reader = file.stream().getReader();
    for (;;) {
      const { done, value } = await reader.read();
      if (done) break;
      core.HEAPU8.set(value, offset);
      offset += value.length;
    }
    return offset - at === file.size;
  }

  // A JPEG's planes as the browser's decoder leaves them before colour conversion
  // (luma, and chroma halved across, both ways or not at all), straight into the
  // module, which makes the points from them as the desktop's decoder does and
  // turns them as the EXIF orientation says. True when opened, false when memory
  // is short, null where the decoder gives something else (grey, CMYK, other
  // halvings), which then goes through the browser's own conversion.
  const HALVINGS = { I444: [0, 0, 0], I422: [1, 0, 1], I420: [1, 1, 2] };
  async function jpegPlanesIntoCore(tab, file) {
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
    try {
      const halving = HALVINGS[image.format];
      const { x, y, width, height } = image.visibleRect;
      if (!halving || x !== 0 || y !== 0 || !turnKnown(image)) return null;
      const [across, down, kind] = halving;
      const chromaWidth = (width + across) >> across, chromaHeight = (height + down) >> down;
      const lumaSize = width * height, chromaSize = chromaWidth * chromaHeight;
      const size = lumaSize + 2 * chromaSize;
      const at = size < 2 ** 32 ? core._vm_buffer(size) : 0;
      if (!at) return false;
      await image.copyTo(core.HEAPU8.subarray(at, at + size), { layout: [
        { offset: 0, stride: width },
        { offset: lumaSize, stride: chromaWidth },
        { offset: lumaSize + chromaSize, stride: chromaWidth }] });
      return core._vm_open_planes(tab, width, height, kind, image.rotation, image.flip ? 1 : 0) === 1
        ? true : null;
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

  // The points as the browser's decoder holds them, straight into the module's
  // buffer with no canvas between, for a picture without alpha (a frame of BGRX or
  // RGBX points): the frame as stored (its size, whether the blue comes first, its
  // turn), or null where this cannot be done.
  async function opaqueFrameIntoCore(picture, at) {
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
      const size = width * height * 4;
      await frame.copyTo(core.HEAPU8.subarray(at, at + size),
        { layout: [{ offset: 0, stride: width * 4 }] });
      return { width, height, blueFirst: frame.format === 'BGRX', degrees: frame.rotation,
               mirrored: frame.flip };
    } finally {
      frame.close();
    }
  }

  // The points as the browser's decoder gives them, without colour management:
  // through a 2D canvas, in strips, for as long as every point is opaque (a canvas
  // premultiplies alpha, which changes nothing at full opacity). False at the first
  // point that is not, or when no canvas that large can be made.
  function opaqueIntoCore(picture, at) {
    const { width, height } = picture;
    const canvas = document.createElement('canvas');
    canvas.width = width;
    canvas.height = height;
    const context = canvas.getContext('2d', { willReadFrequently: true });
    if (!context) return false;
    try {
      context.drawImage(picture, 0, 0);
      const rows = Math.max(1, Math.floor((4 << 20) / (width * 4)));
      for (let y = 0; y < height; y += rows) {
        const strip = context.getImageData(0, y, width, Math.min(rows, height - y)).data;
        for (let i = 3; i < strip.length; i += 4) if (strip[i] !== 255) return false;
        core.HEAPU8.set(strip, at + y * width * 4);
      }
      return true;
    } finally {
      canvas.width = canvas.height = 0;
    }
  }

  // The same for any picture, also where points are transparent, without premultiplied
  // alpha: a WebGL2 texture uploaded as it is, read back row by row into the
  // module's buffer. Large pictures go through in tiles. Slower where WebGL runs
  // without a graphics card, hence only when the canvas cannot do.
  async function decodedIntoCore(picture, at) {
    const canvas = document.createElement('canvas');
    const gl = canvas.getContext('webgl2', { premultipliedAlpha: false, antialias: false });
    if (!gl) throw new Error('this browser has no WebGL2, which reading a picture exactly needs');
    const { width, height } = picture;
    const tile = gl.getParameter(gl.MAX_TEXTURE_SIZE);
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
          gl.readPixels(0, 0, w, h, gl.RGBA, gl.UNSIGNED_BYTE, core.HEAPU8, at + (y * width + x) * 4);
          if (part !== picture) part.close();
        }
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
  const BITMAP = [0x42, 0x4d], JPEG = [0xff, 0xd8, 0xff];
  const SIGNATURES = [BITMAP, JPEG, [0x89, 0x50, 0x4e, 0x47, 0x0d, 0x0a, 0x1a, 0x0a],
    [0x47, 0x49, 0x46, 0x38], [0x52, 0x49, 0x46, 0x46, -1, -1, -1, -1, 0x57, 0x45, 0x42, 0x50]];
  const startsAs = (head, signature) => signature.every((byte, i) => byte === -1 || head[i] === byte);
  const knownKind = (head) => SIGNATURES.some((signature) => startsAs(head, signature));

  // True when the picture is open; false after an error box.
  async function decodeInBrowser(tab, file, head) {
    if (startsAs(head, JPEG)) {
      const planes = await jpegPlanesIntoCore(tab, file);
      if (planes === false) return refusePicture(NO_MEMORY, file);
      if (planes === true) return true;
    }
    let picture;
    try {
      // Upright as viewers show it (EXIF orientation applied), colours as stored.
      picture = await createImageBitmap(file, { imageOrientation: 'from-image',
        premultiplyAlpha: 'none', colorSpaceConversion: 'none' });
    } catch {
      return refusePicture(knownKind(head) ? DAMAGED : NOT_A_PICTURE, file);
    }
    try {
      const at = core._vm_buffer(picture.width * picture.height * 4);
      if (!at) return refusePicture(NO_MEMORY, file);
      let stored = await opaqueFrameIntoCore(picture, at);
      if (stored === null) {  // upright, red first
        if (!opaqueIntoCore(picture, at)) await decodedIntoCore(picture, at);
        stored = { width: picture.width, height: picture.height, blueFirst: false, degrees: 0,
                   mirrored: false };
      }
      return core._vm_open_decoded(tab, stored.width, stored.height, stored.blueFirst ? 1 : 0,
                                   stored.degrees, stored.mirrored ? 1 : 0) === 1;
    } finally {
      picture.close();
    }
  }

  async function openPicture(tab, file) {
    if (file.size === 0) return refusePicture(EMPTY, file);
    const head = new Uint8Array(await file.slice(0, 12).arrayBuffer());
    let opened = false;
    if (startsAs(head, BITMAP)) {  // the core reads bitmaps itself
      if (!(await fileIntoCore(file))) return refusePicture(NO_MEMORY, file);
      const outcome = core.ccall('vm_open_file', 'number', ['number', 'string', 'number'],
        [tab, file.name, file.size]);
      if (outcome === REFUSED || outcome < 0) return coreBox();
      opened = outcome === OPENED || (outcome === FOR_BROWSER && await decodeInBrowser(tab, file, head));
    } else {
      opened = await decodeInBrowser(tab, file, head);
    }
    if (opened !== true) return;
    showPreview(pages[tab], file);
    if (tab === 0) downloadName = file.name.replace(/\.[^.]*$/, '') + '-vm.bmp';
  }

  function showPreview(page, file) {
    const img = page.querySelector('.preview img');
    if (img.src) URL.revokeObjectURL(img.src);
    if (file) {
      img.src = URL.createObjectURL(file);
      img.hidden = false;
    } else {
      img.removeAttribute('src');
      img.hidden = true;
    }
  }

  // ---- Encrypt and Decrypt.
  async function hide() {
    const page = pages[0];
    putText(0, page.querySelector('.password').value);
    putText(1, toCrLf(page.querySelector('.message').value));
    const check = core._vm_check_hide();
    if (check !== READY && check !== ASK) return coreBox();
    if (check === ASK && !(await coreBox(true))) return;
    if (core.ccall('vm_hide', 'number', ['string'], [downloadName]) !== 1) return coreBox();
    const at = core._vm_saved(), size = core._vm_saved_size();
    const picture = new Blob([core.HEAPU8.subarray(at, at + size)], { type: 'image/bmp' });
    core._vm_release_saved();
    // The browser's save flow stands in for the save dialog.
    const link = document.createElement('a');
    link.href = URL.createObjectURL(picture);
    link.download = downloadName;
    link.click();
    setTimeout(() => URL.revokeObjectURL(link.href), 60000);
  }

  async function reveal() {
    const page = pages[1];
    putText(0, page.querySelector('.password').value);
    if (core._vm_reveal() !== 1) return coreBox();
    page.querySelector('.message').value = fromCrLf(core.UTF8ToString(core._vm_revealed()));
    showCount(page);
  }

  function clearAll() {
    core._vm_clear();
    for (const page of pages) {
      page.querySelector('.password').value = '';
      page.querySelector('.message').value = '';
      page.querySelector('input[type="file"]').value = '';
      showPreview(page, null);
      showCount(page);
    }
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
    const input = page.querySelector('input[type="file"]');
    input.addEventListener('change', () => {
      if (input.files.length === 1) command('open', () => openPicture(tab, input.files[0]));
    });
    page.querySelector('.action').addEventListener('click',
      () => (tab === 0 ? command('hide', hide) : command('reveal', reveal)));
    // A picture dropped on a tab opens as Open Image would.
    page.addEventListener('dragover', (event) => {
      if (event.dataTransfer.types.includes('Files')) event.preventDefault();
    });
    page.addEventListener('drop', (event) => {
      event.preventDefault();
      if (event.dataTransfer.files.length === 1)
        command('open', () => openPicture(tab, event.dataTransfer.files[0]));
    });
  }
  // A file dropped anywhere else is not opened by the browser in place of the page.
  window.addEventListener('dragover', (event) => event.preventDefault());
  window.addEventListener('drop', (event) => event.preventDefault());

  // ---- Menus.
  function closeMenus() {
    for (const menu of document.querySelectorAll('.menu')) {
      menu.querySelector('.menu-items').hidden = true;
      menu.querySelector('.menu-title').setAttribute('aria-expanded', 'false');
    }
  }
  for (const menu of document.querySelectorAll('.menu')) {
    const title = menu.querySelector('.menu-title'), items = menu.querySelector('.menu-items');
    title.addEventListener('click', (event) => {
      event.stopPropagation();
      const open = items.hidden;
      closeMenus();
      items.hidden = !open;
      title.setAttribute('aria-expanded', String(open));
      if (open) items.querySelector('button').focus();
    });
  }
  document.addEventListener('click', closeMenus);
  document.addEventListener('keydown', (event) => { if (event.key === 'Escape') closeMenus(); });
  const commands = {
    clear: () => command('clear', clearAll),
    contents: () => document.getElementById('help').show(),
    about: () => document.getElementById('about').show(),
  };
  for (const item of document.querySelectorAll('[data-command]'))
    item.addEventListener('click', () => { closeMenus(); commands[item.dataset.command](); });
  for (const close of document.querySelectorAll('dialog .close'))
    close.addEventListener('click', () => close.closest('dialog').close());
})();
