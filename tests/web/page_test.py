#!/usr/bin/env python3
"""The web page in a real browser: Debian's chromium, headless, driven through
chromedriver (WebDriver over HTTP, standard library only), against veilmark-cli.

    python3 tests/web/page_test.py SITE_DIR VEILMARK_CLI
"""
import base64, json, os, shutil, socket, struct, subprocess, sys, tempfile, threading, time
import unittest, urllib.request, zlib
from http.server import SimpleHTTPRequestHandler, ThreadingHTTPServer
from functools import partial

SITE, CLI = (os.path.abspath(p) for p in sys.argv[1:3]) if len(sys.argv) > 2 else (None, None)
MESSAGE = 'Meet at noon.\nBring the map.'  # typed: 13 + a break (2) + 14 = 29 places


# ---- Pictures made here, so the test needs no picture tools but for the JPEG.
def bmp24(width, height, colour):
    stride = (width * 3 + 3) & ~3
    rows = b''.join(b''.join(bytes(colour(x, y)[::-1]) for x in range(width)).ljust(stride, b'\0')
                    for y in reversed(range(height)))
    return (b'BM' + struct.pack('<IHHI', 54 + len(rows), 0, 0, 54) +
            struct.pack('<IiiHHIIiiII', 40, width, height, 1, 24, 0, len(rows), 3780, 3780, 0, 0) + rows)


def png(width, height, colour, depth=8, kind=6):
    """A PNG of `kind` (0 grey, 2 RGB, 6 RGBA) whose colour(x, y) gives its channels at
    `depth` bits; rows take every filter in turn, so a reader must undo each."""
    def chunk(kind, data):
        return struct.pack('>I', len(data)) + kind + data + struct.pack('>I', zlib.crc32(kind + data))
    step = {0: 1, 2: 3, 6: 4}[kind] * depth // 8
    raw, above = b'', bytes(width * step)
    for y in range(height):
        row = b''.join(b''.join(v.to_bytes(depth // 8, 'big') for v in colour(x, y)) for x in range(width))
        def predict(filter, i):
            a, b = row[i - step] if i >= step else 0, above[i]
            c = above[i - step] if i >= step else 0
            p = a + b - c
            paeth = min((abs(p - a), 0, a), (abs(p - b), 1, b), (abs(p - c), 2, c))[2]
            return (0, a, b, (a + b) >> 1, paeth)[filter]
        filter = y % 5
        raw += bytes([filter]) + bytes((v - predict(filter, i)) & 255 for i, v in enumerate(row))
        above = row
    return (b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', struct.pack('>IIBBBBB', width, height, depth, kind, 0, 0, 0)) +
            chunk(b'IDAT', zlib.compress(raw)) + chunk(b'IEND', b''))


def deep(x, y):  # 16-bit channels whose low bytes make rounding and cutting differ
    return ((x * 4099 + y * 517) % 65536, (y * 9001 + 300) % 65536, (x * y * 131 + 129) % 65536)


def big_bmp(width, height):
    """A bitmap of width x height points, quickly: each row a shifted run of every byte."""
    stride = width * 3
    pattern = bytes(range(256)) * (stride // 256 + 2)
    rows = b''.join(pattern[y % 256:y % 256 + stride] for y in range(height))
    return (b'BM' + struct.pack('<IHHI', 54 + len(rows), 0, 0, 54) +
            struct.pack('<IiiHHIIiiII', 40, width, height, 1, 24, 0, len(rows), 3780, 3780, 0, 0) + rows)


def bmp_point(data, x, y):
    width, height = struct.unpack_from('<ii', data, 18)
    stride = (width * 3 + 3) & ~3
    at = struct.unpack_from('<I', data, 10)[0] + (height - 1 - y) * stride + x * 3
    return tuple(data[at:at + 3][::-1])


def cover(x, y):
    return ((x * 7 + y) % 256, (y * 5) % 256, (x * y) % 256)


def jpeg(width, height, sampling, orientation=None):
    """The cover as a JPEG with the chroma sampling given (ImageMagick's 2x2 and so on),
    and an EXIF orientation if one is given."""
    ppm = f'P6 {width} {height} 255\n'.encode() + b''.join(
        bytes(cover(x, y)) for y in range(height) for x in range(width))
    data = subprocess.run(['convert', 'ppm:-', '-sampling-factor', sampling, '-quality', '90', 'jpg:-'],
                          input=ppm, capture_output=True, check=True).stdout
    return data if orientation is None else data[:2] + exif_orientation(orientation) + data[2:]


def exif_orientation(value, thumbnail_only=False):
    """A JPEG's Exif segment; with thumbnail_only, the tag is in the second IFD alone."""
    tiff = exif_tiff(value, thumbnail_only)
    return b'\xff\xe1' + struct.pack('>H', 2 + 6 + len(tiff)) + b'Exif\0\0' + tiff


def exif_tiff(value, thumbnail_only=False):
    entry = struct.pack('>HHIHH', 0x0112, 3, 1, value, 0)
    if thumbnail_only:
        return b'MM\0*' + struct.pack('>IHI', 8, 0, 14) + struct.pack('>H', 1) + entry + struct.pack('>I', 0)
    return b'MM\0*' + struct.pack('>IH', 8, 1) + entry + struct.pack('>I', 0)


def png_exif(data, value):
    """The PNG with an eXIf chunk after its header."""
    tiff = exif_tiff(value)
    return (data[:33] + struct.pack('>I', len(tiff)) + b'eXIf' + tiff +
            struct.pack('>I', zlib.crc32(b'eXIf' + tiff)) + data[33:])


# ---- A small WebDriver client.
class Browser:
    def __init__(self, downloads):
        self.port = free_port()
        self.driver = subprocess.Popen(['chromedriver', f'--port={self.port}'],
                                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self.profile = tempfile.mkdtemp(prefix='veilmark-chromium-')
        for _ in range(100):
            try:
                self.call('GET', '/status')
                break
            except OSError:
                time.sleep(0.1)
        args = ['--headless', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
                '--disable-background-networking', '--disable-component-update', '--disable-sync',
                '--enable-unsafe-swiftshader', f'--user-data-dir={self.profile}', '--window-size=480,800']
        caps = {'browserName': 'chrome', 'goog:loggingPrefs': {'performance': 'ALL'},
                'goog:chromeOptions': {'binary': shutil.which('chromium'), 'args': args}}
        self.session = self.call('POST', '/session', {'capabilities': {'alwaysMatch': caps}})['sessionId']
        self.cdp('Browser.setDownloadBehavior', behavior='allow', downloadPath=downloads)

    def call(self, method, path, body=None):
        request = urllib.request.Request(f'http://127.0.0.1:{self.port}{path}', method=method,
                                         data=None if body is None else json.dumps(body).encode(),
                                         headers={'Content-Type': 'application/json'})
        with urllib.request.urlopen(request, timeout=120) as response:
            return json.load(response)['value']

    def do(self, method, path='', body=None):
        return self.call(method, f'/session/{self.session}{path}', body)

    def cdp(self, cmd, **params):
        return self.do('POST', '/goog/cdp/execute', {'cmd': cmd, 'params': params})

    def js(self, script, *args):
        return self.do('POST', '/execute/sync', {'script': script, 'args': list(args)})

    def find(self, css):
        return next(iter(self.do('POST', '/element', {'using': 'css selector', 'value': css}).values()))

    def type(self, css, text):
        self.do('POST', f'/element/{self.find(css)}/value', {'text': text})

    def click(self, css):
        self.do('POST', f'/element/{self.find(css)}/click', {})

    def wait(self, script, *args, timeout=60):
        end = time.time() + timeout
        while time.time() < end:
            value = self.js(script, *args)
            if value:
                return value
            time.sleep(0.05)
        raise AssertionError(f'timed out waiting for: {script}')

    def quit(self):
        try:
            self.do('DELETE')
        finally:
            self.driver.terminate()
            self.driver.wait()
            shutil.rmtree(self.profile, ignore_errors=True)


def free_port():
    with socket.socket() as s:
        s.bind(('127.0.0.1', 0))
        return s.getsockname()[1]


class Site:
    """The built page on a local static server that notes every request it gets."""
    def __init__(self, folder):
        self.requests = []
        site = self

        class Handler(SimpleHTTPRequestHandler):
            def log_message(self, *args):
                site.requests.append(self.path)
        self.server = ThreadingHTTPServer(('127.0.0.1', 0), partial(Handler, directory=folder))
        threading.Thread(target=self.server.serve_forever, daemon=True).start()
        self.url = f'http://127.0.0.1:{self.server.server_address[1]}/'

    def close(self):
        self.server.shutdown()


class PageTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.work = tempfile.mkdtemp(prefix='veilmark-web-test-')
        cls.downloads = os.path.join(cls.work, 'downloads')
        os.mkdir(cls.downloads)
        cls.site = Site(SITE)
        cls.browser = Browser(cls.downloads)

    @classmethod
    def tearDownClass(cls):
        cls.browser.quit()
        cls.site.close()
        shutil.rmtree(cls.work, ignore_errors=True)

    def setUp(self):
        self.browser.do('POST', '/url', {'url': self.site.url})
        self.browser.wait('return document.readyState === "complete" && !!document.body.dataset.coreBytes')
        self.browser.do('POST', '/execute/async', {'script': '''
            navigator.serviceWorker.ready.then(() => arguments[0]())''', 'args': []})

    # ---- Steps a user takes.
    def file(self, name, data):
        path = os.path.join(self.work, name)
        with open(path, 'wb') as f:
            f.write(data)
        return path

    def open_on(self, page, path):
        before = self.browser.js(f'return document.querySelector("#{page} .preview img").src')
        self.browser.type(f'#{page} input[type="file"]', path)
        self.browser.wait(f'return document.querySelector("#{page} .preview img").src !== arguments[0]'
                          ' || document.getElementById("message-box").open', before)

    def fill(self, page, password, message=None):
        self.browser.type(f'#{page} .password', password)
        if message is not None:
            self.browser.type(f'#{page} .message', message)

    def encrypt(self, name):
        target = os.path.join(self.downloads, name)
        if os.path.exists(target):
            os.remove(target)
        self.browser.click('#encrypt-page .action')
        self.browser.wait('return document.getElementById("message-box").open || !document.body.classList.contains("busy")')
        for _ in range(600):
            if os.path.exists(target):  # the browser may still be writing it
                with open(target, 'rb') as f:
                    made = f.read()
                if len(made) >= 6 and struct.unpack_from('<I', made, 2)[0] == len(made):
                    return made
            if self.browser.js('return document.getElementById("message-box").open'):
                self.fail('Encrypt showed: ' + self.box())
            time.sleep(0.05)
        self.fail('no complete download of ' + name)

    def decrypt(self):
        self.browser.click('#decrypt-tab')
        self.browser.click('#decrypt-page .action')
        self.browser.wait('return !document.body.classList.contains("busy")')
        return self.browser.js('return document.querySelector("#revealed-message").value')

    def box(self):
        self.browser.wait('return document.getElementById("message-box").open')
        title = self.browser.js('return document.getElementById("message-box-title").textContent')
        text = self.browser.js('return document.getElementById("message-box-text").textContent')
        self.browser.click('#message-box [value="ok"]')
        return f'{title}: {text}'

    def press(self, *keys):
        actions = [a for key in keys for a in ({'type': 'keyDown', 'value': key}, {'type': 'keyUp', 'value': key})]
        self.browser.do('POST', '/actions', {'actions': [{'type': 'key', 'id': 'keys', 'actions': actions}]})

    def focused(self):
        return self.browser.js('const e = document.activeElement; return e.textContent.trim() || e.id')

    def cli(self, *args):
        return subprocess.run([CLI, *args], capture_output=True)

    # ---- The cases.
    def test_journey_on_both_tabs_matches_veilmark_cli_byte_for_byte(self):
        cover_path = self.file('cover.bmp', bmp24(64, 48, cover))
        self.open_on('encrypt-page', cover_path)
        self.fill('encrypt-page', 'tulip', MESSAGE)
        self.assertEqual(self.browser.js('return document.querySelector("#encrypt-page .count").value'), '29/160')
        page_made = self.encrypt('cover-vm.bmp')
        cli_path = os.path.join(self.work, 'cli.bmp')
        self.assertEqual(self.cli('hide', '-p', 'tulip', '-m', MESSAGE.replace('\n', '\r\n'),
                                  cover_path, cli_path).returncode, 0)
        with open(cli_path, 'rb') as f:
            self.assertEqual(page_made, f.read(), 'the page and veilmark-cli wrote different bitmaps')

        # veilmark-cli reads the page's picture; the page reads veilmark-cli's, dropped on the tab.
        shown = self.cli('reveal', '-p', 'tulip', self.file('page.bmp', page_made))
        self.assertEqual(shown.stdout.decode(), MESSAGE.replace('\n', '\r\n'))
        self.browser.click('#decrypt-tab')
        with open(cli_path, 'rb') as f:
            self.drop_on('decrypt-page', 'from-cli.bmp', f.read())
        self.fill('decrypt-page', 'tulip')
        self.assertEqual(self.decrypt(), MESSAGE)
        self.browser.js('document.querySelector("#decrypt-password").value = ""')
        self.fill('decrypt-page', 'tulips')
        self.assertEqual(self.decrypt(), '', 'a wrong password shows nothing')

    def test_a_message_sealed_in_the_page_opens_in_veilmark_cli_and_the_reverse(self):
        text, cover_path = 'Привет 👋 — ключ', self.file('cover.bmp', bmp24(64, 48, cover))
        # The page seals: veilmark-cli opens it with its password only, and scan never shows it.
        self.open_on('encrypt-page', cover_path)
        self.fill('encrypt-page', 'tulip mountain', text)
        self.browser.click('#seal')
        sealed = self.file('page-sealed.bmp', self.encrypt('cover-vm.bmp'))
        shown = self.cli('reveal', '-p', 'tulip mountain', sealed)
        self.assertEqual((shown.returncode, shown.stdout.decode()), (0, text))
        self.assertNotIn(text.encode(), self.cli('scan', sealed).stdout)
        # veilmark-cli seals: the page opens it, and a wrong password empties the box and says why.
        made = self.cli('hide', '-f', '--seal', '-p', 'tulip mountain', '-m', text, cover_path, sealed)
        self.assertEqual(made.returncode, 0, made.stderr)
        self.browser.click('#decrypt-tab')
        with open(sealed, 'rb') as f:
            self.drop_on('decrypt-page', 'cli-sealed.bmp', f.read())
        self.fill('decrypt-page', 'tulip mountain')
        self.assertEqual(self.decrypt(), text)
        self.fill('decrypt-page', 's')  # tulip mountains
        self.browser.click('#decrypt-page .action')
        self.assertEqual(self.box(), 'Veilmark - Error: A sealed message is hidden here, and this '
                         'password does not open it.')
        self.assertEqual(self.browser.js('return document.querySelector("#revealed-message").value'), '')

    def test_controls_are_named_as_in_the_window(self):
        for page, action in (('encrypt-page', 'Encrypt'), ('decrypt-page', 'Decrypt')):
            self.browser.click(f'#{page[:7]}-tab')  # a hidden page's controls have no name
            for css, name in ((f'#{page[:7]}-tab', action), (f'#{page} input[type="file"]', 'Open Image'),
                              (f'#{page} .password', 'Password'), (f'#{page} .message', 'Message'),
                              (f'#{page} .action', action)) + (
                    (('#seal', 'Seal the message with the password: only that password opens it, '
                                'and any change to it is detected'),) if action == 'Encrypt' else ()):
                with self.subTest(css):
                    self.assertEqual(self.browser.do('GET', f'/element/{self.browser.find(css)}/computedlabel'), name)

    def drop_on(self, page, name, data):
        self.browser.js('''
            const [page, name, data] = arguments;
            const bytes = Uint8Array.from(atob(data), (c) => c.charCodeAt(0));
            const transfer = new DataTransfer();
            transfer.items.add(new File([bytes], name));
            document.getElementById(page).dispatchEvent(
              new DragEvent('drop', { dataTransfer: transfer, bubbles: true, cancelable: true }));''',
                        page, name, base64.b64encode(data).decode())
        self.browser.wait(f'return !!document.querySelector("#{page} .preview img").src')

    def test_refusals_say_what_veilmark_cli_says(self):
        rows = {  # name: (password, message, picture)
            'password character': ('tulip\u2713', 'hi', bmp24(64, 48, cover)),
            'message character': ('tulip', 'caf\u00e9 \u2603', bmp24(64, 48, cover)),
            'picture too small': ('tulip', 'x' * 40, bmp24(8, 8, cover)),
        }
        for name, (password, message, picture) in rows.items():
            with self.subTest(name):
                self.setUp()
                path = self.file('refused.bmp', picture)
                self.open_on('encrypt-page', path)
                self.fill('encrypt-page', password, message)
                self.browser.click('#encrypt-page .action')
                said = self.cli('hide', '-p', password, '-m', message, path, os.path.join(self.work, 'no.bmp'))
                self.assertEqual(said.returncode, 4)
                sentence = said.stderr.decode().strip().removeprefix('veilmark-cli: ')
                self.assertEqual(self.box(), 'Veilmark - Error: ' + sentence[0].upper() + sentence[1:])

    def test_pictures_that_do_not_open_say_what_veilmark_cli_says(self):
        for name, data in [('damaged.jpg', b'\xff\xd8\xff\xe0' + b'\0' * 40), ('notes.jpg', b'a shopping list')]:
            with self.subTest(name):
                self.setUp()
                self.open_on('encrypt-page', self.file(name, data))
                said = subprocess.run([CLI, 'reveal', '-p', 'tulip', name], cwd=self.work, capture_output=True)
                self.assertNotEqual(said.returncode, 0)
                sentence = said.stderr.decode().strip().removeprefix('veilmark-cli: ')
                self.assertEqual(self.box(), 'Veilmark - Error: ' + sentence[0].upper() + sentence[1:])
                self.assertFalse(self.browser.js('return !!document.querySelector("#encrypt-page .preview img").src'))

    def test_pictures_the_page_cannot_read_say_why(self):
        chunk = b'IHDR' + struct.pack('>IIBBBBB', 30000, 30000, 8, 2, 0, 0, 0)
        huge = b'\x89PNG\r\n\x1a\n' + struct.pack('>I', 13) + chunk + struct.pack('>I', zlib.crc32(chunk))
        no_webgl2 = 'const get = HTMLCanvasElement.prototype.getContext; HTMLCanvasElement.prototype.getContext =' \
            ' function (kind, ...rest) { return kind === "webgl2" ? null : get.call(this, kind, ...rest); }'
        rows = {  # case: (name, picture, script run first, what the box says)
            'too large': ('huge.png', huge, '',
                          'The picture in huge.png is too large to open (30000 x 30000 points).'),
            'no WebGL2': ('clear.png', png(8, 8, lambda x, y: (x, y, 9, x * 30)), no_webgl2,
                          'This picture has transparent points, and this browser cannot read them exactly: '
                          'it offers no WebGL2'),
        }
        for case, (name, data, script, said) in rows.items():
            with self.subTest(case):
                self.setUp()
                if script:
                    self.browser.js(script)
                self.open_on('encrypt-page', self.file(name, data))
                self.assertTrue(self.box().startswith('Veilmark - Error: ' + said))
                self.assertFalse(self.browser.js('return !!document.querySelector("#encrypt-page .preview img").src'))

    def large_bmp(self):
        path = os.path.join(self.work, 'large.bmp')
        return path if os.path.exists(path) else self.file('large.bmp', big_bmp(7000, 6000))

    def test_a_large_job_runs_in_the_worker_and_gives_its_memory_back(self):
        self.browser.js('''window.shown = []; new MutationObserver(() => shown.push(document.querySelector(
            ".job progress").value)).observe(document.querySelector(".job progress"), { attributes: true });''')
        self.open_on('encrypt-page', self.large_bmp())
        self.assertTrue([done for done in self.browser.js('return shown') if 0 < done < 1], 'no progress shown')
        self.fill('encrypt-page', 'tulip', 'large')
        self.browser.js('''window.longest = 0; new PerformanceObserver((list) => { for (const task of
            list.getEntries()) longest = Math.max(longest, task.duration); }).observe({ type: "longtask" });''')
        self.encrypt('large-vm.bmp')
        self.browser.wait('return !document.body.classList.contains("busy")')
        self.assertEqual(len(self.browser.js('return performance.getEntriesByName("veilmark fresh worker")')), 1)
        held = int(self.browser.js('return document.body.dataset.coreBytes'))
        self.assertLess(held, 256 << 20, 'the fresh worker holds the picture again, no more')
        self.assertGreater(held, 7000 * 6000 * 3)
        self.assertLess(self.browser.js('return longest'), 200, 'the page froze during the hide')

    def test_cancel_ends_a_hide_and_keeps_the_picture(self):
        self.open_on('encrypt-page', self.large_bmp())
        self.fill('encrypt-page', 'tulip', 'never')
        made = os.path.join(self.downloads, 'large-vm.bmp')
        if os.path.exists(made):
            os.remove(made)
        # Cancel as soon as the worker has the job (the button shows after a moment).
        self.browser.js('document.querySelector("#encrypt-page .action").click();'
                        ' setTimeout(() => document.querySelector(".job .cancel").click(), 50)')
        self.browser.wait('return !document.body.classList.contains("busy")')
        self.assertFalse(self.browser.js('return document.getElementById("message-box").open'))
        self.assertFalse(os.path.exists(made))
        self.assertEqual(len(self.browser.js('return performance.getEntriesByName("veilmark fresh worker")')), 1)
        self.fill('encrypt-page', '', 'kept')  # the fresh worker holds the picture again
        self.assertEqual(struct.unpack_from('<ii', self.encrypt('large-vm.bmp'), 18), (7000, 6000))

    def test_a_twelve_line_message_reads_to_its_end(self):
        message = '\n'.join(f'line {n}' for n in range(1, 13))
        self.open_on('encrypt-page', self.file('lines.bmp', bmp24(64, 48, cover)))
        self.fill('encrypt-page', 'tulip', message)
        made = self.encrypt('lines-vm.bmp')
        self.browser.click('#decrypt-tab')
        self.open_on('decrypt-page', self.file('lines-vm.bmp', made))
        self.fill('decrypt-page', 'tulip')
        self.assertEqual(self.decrypt(), message)
        self.assertTrue(self.browser.js('const box = document.querySelector("#revealed-message");'
                                        ' return box.scrollHeight <= box.clientHeight'), 'the last lines are cut')

    def test_menus_and_dialogs_work_from_the_keyboard(self):
        self.browser.js('document.querySelector(".menu-title").focus()')
        steps = [  # keys pressed: (focus then, what is open then)
            (['\ue015'], 'Clear', 'File'), (['\ue00c'], 'File', ''),
            (['\ue014', '\ue015', '\ue015'], 'About', 'Help'), (['\ue015'], 'Contents', 'Help'),
            (['\ue007'], 'Close', 'help'), (['\ue00c'], 'Help', ''),
            (['\ue013'], 'About', 'Help'), (['\ue007'], 'Close', 'about'), (['\ue00c'], 'Help', ''),
            # A key right after Escape is not undone by the dialog's late close event.
            (['\ue013', '\ue007', '\ue00c', '\ue013'], 'About', 'Help'), (['\ue00c'], 'Help', '')]
        for keys, focus, shown in steps:
            with self.subTest(keys=keys):
                self.press(*keys)
                self.assertEqual(self.focused(), focus)
                self.assertEqual(self.browser.js('''return document.querySelector("dialog:modal")?.id ||
                    document.querySelector(".menu-title[aria-expanded=true]")?.textContent || ""'''), shown)

    def test_pictures_the_browser_decodes_give_veilmark_cli_bitmap(self):
        def colour(x, y):  # every third point fully transparent, yet with a colour
            return (200, 100, 50, 0) if (x + y) % 3 == 0 else (*cover(x, y), 255)
        rows = {'PNG with transparent points': ('alpha.png', png(32, 32, colour)),
                '16-bit RGB PNG': ('deep-rgb.png', png(23, 17, deep, 16, 2)),
                '16-bit grey PNG': ('deep-grey.png', png(23, 17, lambda x, y: deep(x, y)[:1], 16, 0)),
                '16-bit RGBA PNG': ('deep-rgba.png', png(23, 17, lambda x, y: (*deep(x, y), 40000 + x), 16, 6)),
                'eXIf 6 in a PNG': ('turned.png', png_exif(png(13, 7, lambda x, y: (*cover(x, y), 255)), 6))}
        if shutil.which('convert'):
            # JPEG's chroma halvings, odd sizes, a chroma plane too narrow to average,
            # and one the browser converts itself; every EXIF orientation, from planes
            # and from a frame the browser converted.
            for case, size, sampling, orientation in [
                    ('4:2:0', (48, 32), '2x2', None), ('4:2:0, odd size', (37, 23), '2x2', None),
                    ('4:2:2', (37, 23), '2x1', None), ('4:4:4', (37, 23), '1x1', None),
                    ('4:2:0, two chroma columns', (4, 5), '2x2', None),
                    ('4:4:0', (37, 23), '1x2', None), ('4:4:0, EXIF 6', (37, 23), '1x2', 6),
                    *((f'4:2:0, EXIF {o}', (37, 23), '2x2', o) for o in range(2, 9))]:
                rows['JPEG ' + case] = (f'photo{len(rows)}.jpg', jpeg(*size, sampling, orientation))
            plain = jpeg(37, 23, '2x2')
            rows['JPEG, EXIF 6 in the thumbnail\'s IFD only'] = (
                'thumbnail.jpg', plain[:2] + exif_orientation(6, thumbnail_only=True) + plain[2:])
        for case, (name, data) in rows.items():
            with self.subTest(case):
                self.setUp()
                path = self.file(name, data)
                self.open_on('encrypt-page', path)
                self.fill('encrypt-page', 'tulip', 'hi')
                page_made = self.encrypt(name.split('.')[0] + '-vm.bmp')
                cli_path = os.path.join(self.work, name.split('.')[0] + '-cli.bmp')
                self.assertEqual(self.cli('hide', '-p', 'tulip', '-m', 'hi', path, cli_path).returncode, 0)
                with open(cli_path, 'rb') as f:
                    self.assertEqual(page_made, f.read())
                if case.startswith('PNG'):  # a 2D canvas would have made it black
                    self.assertEqual(bmp_point(page_made, 3, 0)[0] >> 1, 200 >> 1)

    def test_exif_rotated_jpeg_opens_upright(self):
        if not shutil.which('convert'):
            self.skipTest('ImageMagick (convert) is not installed')
        # 40 x 20, left half red; stored with orientation 6, so it shows 20 x 40, red on top.
        source = self.file('plain.ppm', b'P6 40 20 255\n' + b''.join(
            bytes((230, 20, 20) if x < 20 else (20, 20, 230)) for y in range(20) for x in range(40)))
        plain = subprocess.run(['convert', source, '-quality', '95', 'jpg:-'], check=True,
                               capture_output=True).stdout
        self.open_on('encrypt-page', self.file('rotated.jpg', plain[:2] + exif_orientation(6) + plain[2:]))
        self.fill('encrypt-page', 'tulip', 'up')
        page_made = self.encrypt('rotated-vm.bmp')
        self.assertEqual(struct.unpack_from('<ii', page_made, 18), (20, 40))
        top, bottom = bmp_point(page_made, 10, 5), bmp_point(page_made, 10, 35)
        self.assertGreater(top[0], 180, top)
        self.assertGreater(bottom[2], 180, bottom)

    def test_nothing_is_requested_after_the_page_has_loaded(self):
        self.browser.do('POST', '/se/log', {'type': 'performance'})  # forget the load
        loaded = len(self.site.requests)
        self.open_on('encrypt-page', self.file('quiet.bmp', bmp24(64, 48, cover)))
        self.fill('encrypt-page', 'tulip', 'quiet')
        self.encrypt('quiet-vm.bmp')
        # The page's policy forbids connections, whatever a script tries.
        outcome = self.browser.do('POST', '/execute/async', {'script': '''
            const done = arguments[arguments.length - 1];
            fetch(arguments[0] + 'probe').then(() => done('sent'), () => done('blocked'));''',
            'args': [self.site.url]})
        self.assertEqual(outcome, 'blocked')
        # The browser asks for the service worker's script after each load, to see
        # whether it changed; nothing else is requested.
        self.assertEqual([r for r in self.site.requests[loaded:] if r != '/offline.js'], [])
        sent = [json.loads(entry['message'])['message'] for entry in
                self.browser.do('POST', '/se/log', {'type': 'performance'})]
        urls = [m['params']['request']['url'] for m in sent if m['method'] == 'Network.requestWillBeSent']
        self.assertEqual([u for u in urls if not u.startswith(('blob:', 'data:'))], [])


if __name__ == '__main__':
    for tool in ('chromium', 'chromedriver'):
        if not shutil.which(tool):
            print(f'web page test skipped: {tool} is not installed')
            sys.exit(0)
    unittest.main(argv=sys.argv[:1] + sys.argv[3:], verbosity=2)  # then: test names, if any
