#!/usr/bin/env python3
"""Pictures of the web page for the README, from a real hide and reveal in
headless chromium: docs/web-encrypt.png, docs/web-decrypt.png, docs/web-help.png,
and the Encrypt tab on a phone, a tablet and a desktop screen in the light and the
dark scheme: docs/web-WIDTHxHEIGHT-light.png and -dark.png.

    python3 scripts/web-screenshots.py [SITE_DIR] [PICTURE]
"""
import base64, os, shutil, sys, tempfile, time

root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
sys.path.insert(0, os.path.join(root, 'tests', 'web'))
from page_test import Browser, Site  # noqa: E402

site_dir = sys.argv[1] if len(sys.argv) > 1 else os.path.join(root, 'build-web', 'site')
picture = sys.argv[2] if len(sys.argv) > 2 else '/tmp/veilmark-bench-corpus/photo_640x480.jpg'
downloads = tempfile.mkdtemp(prefix='veilmark-shots-')
site, browser = Site(site_dir), Browser(downloads)
SCREENS = [(390, 844, True), (768, 1024, True), (1440, 900, False)]  # width, height, a touch screen


def save(png, name):
    with open(os.path.join(root, 'docs', name), 'wb') as f:
        f.write(base64.b64decode(png))


def shoot(css, name):
    save(browser.do('GET', f'/element/{browser.find(css)}/screenshot'), name)


def on_screen(width, height, touch, scheme):
    browser.cdp('Emulation.setDeviceMetricsOverride', width=width, height=height, deviceScaleFactor=1,
                mobile=touch)
    browser.cdp('Emulation.setEmulatedMedia', features=[{'name': 'prefers-color-scheme', 'value': scheme}])


def fill_encrypt():
    browser.do('POST', '/url', {'url': site.url})
    browser.wait('return document.readyState === "complete" && !!document.body.dataset.coreBytes')
    browser.type('#encrypt-page input[type="file"]', picture)
    browser.wait('return !!document.querySelector("#encrypt-page .preview img").src')
    browser.type('#encrypt-page .password', 'tulip')
    browser.type('#encrypt-page .message', 'Meet me by the old mill at noon.\nBring the map.')
    browser.wait('return document.querySelector("#encrypt-page .preview img").complete')


try:
    for width, height, touch in SCREENS:
        for scheme in ('light', 'dark'):
            on_screen(width, height, touch, scheme)
            fill_encrypt()
            save(browser.do('GET', '/screenshot'), f'web-{width}x{height}-{scheme}.png')

    on_screen(1440, 900, False, 'light')
    fill_encrypt()
    shoot('.window', 'web-encrypt.png')
    browser.click('#encrypt-page .action')
    for _ in range(200):
        made = [n for n in os.listdir(downloads) if n.endswith('.bmp')]
        if made:
            break
        time.sleep(0.1)
    browser.click('#decrypt-tab')
    browser.type('#decrypt-page input[type="file"]', os.path.join(downloads, made[0]))
    browser.wait('return !!document.querySelector("#decrypt-page .preview img").src')
    browser.type('#decrypt-page .password', 'tulip')
    browser.click('#decrypt-page .action')
    browser.wait('return document.querySelector("#revealed-message").value !== ""')
    browser.wait('return document.querySelector("#decrypt-page .preview img").complete')
    shoot('.window', 'web-decrypt.png')
    browser.js('document.getElementById("help").showModal()')
    shoot('#help', 'web-help.png')
finally:
    browser.quit()
    site.close()
    shutil.rmtree(downloads, ignore_errors=True)
