// Opens every page of a website exported in the modern style in headless Chromium, at the size
// of a phone (375 x 812) and of a desktop (1280 x 800), and checks what a visitor relies on: no
// page scrolls sideways, every link, picture, srcset candidate, stylesheet, video and sound
// resolves to a file of the website, axe-core finds no violation, the arrow keys on a photo page
// go to the next photo, and with JavaScript disabled every page still loads and navigates. The
// Nu Html Checker (vnu.jar, run with Java) then checks every page for errors.
//
//   node check-modern.mjs EXPORT_FOLDER
//
// Exits 0 when everything works, 1 with one line per fault otherwise, 2 when it cannot run.
import {execFileSync} from 'node:child_process';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import {createRequire} from 'node:module';
import {fileURLToPath, pathToFileURL} from 'node:url';
import puppeteer from 'puppeteer-core';
import {AxePuppeteer} from '@axe-core/puppeteer';

const folder = process.argv[2];
if (!folder) {
    console.error('usage: node check-modern.mjs EXPORT_FOLDER');
    process.exit(2);
}
const root = path.resolve(folder);
const pages = fs.readdirSync(root).filter((name) => /\.html?$/i.test(name)).sort();
if (!pages.includes('index.html')) {
    console.error(`${root} holds no index.html: not a website in the modern style`);
    process.exit(2);
}

const chromium = process.env.CHROMIUM || '/usr/bin/chromium';
const profile = fs.mkdtempSync(path.join(os.tmpdir(), 'pagelorn-chromium-'));
const browser = await puppeteer.launch({
    executablePath: chromium,
    headless: true,
    userDataDir: profile,
    args: ['--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
           '--disable-background-networking', '--disable-component-update', '--disable-sync',
           '--allow-file-access-from-files'],
});

const viewports = [
    {width: 375, height: 812, isMobile: true, hasTouch: true, deviceScaleFactor: 2},
    {width: 1280, height: 800, isMobile: false, hasTouch: false, deviceScaleFactor: 1},
];
const faults = [];
let checked = 0;
const urlOf = (name) => pathToFileURL(path.join(root, name)).href;
const checkTarget = (page, raw, href) => {
    if (!href.startsWith('file:')) return;  // web addresses are the user's own
    const target = fileURLToPath(href.split('#')[0]);
    ++checked;
    if (!fs.existsSync(target)) faults.push(`${page}: ${raw} leads nowhere`);
    else if (!target.startsWith(root + path.sep)) faults.push(`${page}: ${raw} leads outside`);
};

try {
    for (const viewport of viewports) {
        const size = `${viewport.width}x${viewport.height}`;
        const tab = await browser.newPage();
        await tab.setViewport(viewport);
        for (const name of pages) {
            try {
                await tab.goto(urlOf(name), {waitUntil: 'load', timeout: 30000});
            } catch (error) {
                faults.push(`${name} (${size}): does not load: ${error.message}`);
                continue;
            }
            const found = await tab.evaluate(() => {
                const abs = (value) => new URL(value, document.baseURI).href;
                const candidates = [];
                for (const img of document.images) {
                    for (const part of (img.getAttribute('srcset') || '').split(',')) {
                        const url = part.trim().split(/\s+/)[0];
                        if (url) candidates.push({raw: url, href: abs(url)});
                    }
                }
                return {
                    scrollWidth: document.documentElement.scrollWidth,
                    innerWidth: window.innerWidth,
                    broken: Array.from(document.images)
                                .filter((img) => img.loading !== 'lazy' && !(img.naturalWidth > 0))
                                .map((img) => img.getAttribute('src')),
                    targets: [
                        ...Array.from(document.querySelectorAll('a[href]'))
                            .map((a) => ({raw: a.getAttribute('href'), href: a.href})),
                        ...Array.from(document.querySelectorAll('img[src], video[src], audio[src]'))
                            .map((e) => ({raw: e.getAttribute('src'), href: e.src})),
                        ...Array.from(document.querySelectorAll('link[rel="stylesheet"]'))
                            .map((l) => ({raw: l.getAttribute('href'), href: l.href})),
                        ...candidates,
                    ],
                    styled: document.styleSheets.length > 0 &&
                            getComputedStyle(document.body).margin === '0px',
                };
            });
            if (found.scrollWidth > found.innerWidth)
                faults.push(`${name} (${size}): scrolls sideways (${found.scrollWidth} > ` +
                            `${found.innerWidth})`);
            if (!found.styled) faults.push(`${name} (${size}): the stylesheet is not applied`);
            for (const src of found.broken) faults.push(`${name} (${size}): ${src} does not show`);
            for (const target of found.targets) checkTarget(name, target.raw, target.href);
            const axe = await new AxePuppeteer(tab).analyze();
            for (const violation of axe.violations)
                faults.push(`${name} (${size}): axe ${violation.id} (${violation.impact}) on ` +
                            `${violation.nodes.length} elements: ${violation.help}`);
        }
        await tab.close();
    }

    // The arrow keys on a photo page go to the next photo, and Escape goes up.
    const photo = pages.find((name) => /<figure class="view">/.test(
        fs.readFileSync(path.join(root, name), 'utf8')) &&
        /rel="next"/.test(fs.readFileSync(path.join(root, name), 'utf8')));
    if (!photo) {
        faults.push('no photo page with a next photo');
    } else {
        const tab = await browser.newPage();
        await tab.goto(urlOf(photo), {waitUntil: 'load'});
        const next = await tab.$eval('a[rel~="next"]', (a) => a.href);
        await Promise.all([tab.waitForNavigation({waitUntil: 'load'}), tab.keyboard.press('ArrowRight')]);
        if (tab.url() !== next) faults.push(`${photo}: ArrowRight led to ${tab.url()}, not ${next}`);
        const up = await tab.$eval('a[rel~="up"]', (a) => a.href);
        await Promise.all([tab.waitForNavigation({waitUntil: 'load'}), tab.keyboard.press('Escape')]);
        if (tab.url() !== up) faults.push(`${photo}: Escape led to ${tab.url()}, not ${up}`);
        await tab.close();
    }

    // Without JavaScript every page loads, and following its links reaches its neighbours.
    const plain = await browser.newPage();
    await plain.setJavaScriptEnabled(false);
    await plain.setViewport(viewports[0]);
    for (const name of pages) {
        await plain.goto(urlOf(name), {waitUntil: 'load'});
        const links = await plain.$$eval('nav a[href], main a[href]', (all) => all.length);
        if (links === 0) faults.push(`${name} (no JavaScript): no link to go on from`);
        // A website of one folder has no navigation bar: its root page's links are its items.
        const selector = (await plain.$('a[rel~="next"]')) ? 'a[rel~="next"]'
                         : (await plain.$('nav a[href]')) ? 'nav a[href]'
                                                          : 'main a[href]';
        const expected = await plain.$eval(selector, (a) => a.href);
        await Promise.all([plain.waitForNavigation({waitUntil: 'load'}), plain.click(selector)]);
        if (plain.url() !== expected)
            faults.push(`${name} (no JavaScript): ${selector} led to ${plain.url()}`);
    }
    await plain.close();
} finally {
    await browser.close();
    fs.rmSync(profile, {recursive: true, force: true});
}

// The Nu Html Checker, on every page at once.
const vnu = createRequire(import.meta.url)('vnu-jar');
try {
    execFileSync('java', ['-jar', vnu, '--errors-only', '--format', 'gnu',
                          ...pages.map((name) => path.join(root, name))],
                 {stdio: ['ignore', 'pipe', 'pipe']});
} catch (error) {
    if (error.code === 'ENOENT') {
        console.error('java is not installed: run scripts/install-test-deps.sh');
        process.exit(2);
    }
    const report = `${error.stdout || ''}${error.stderr || ''}`.trim();
    for (const line of report.split('\n')) if (line) faults.push(`vnu: ${line}`);
}

for (const fault of faults) console.log(fault);
console.log(`${pages.length} pages at ${viewports.length} sizes, ${checked} local links and ` +
            `pictures: ${faults.length} faults`);
process.exit(faults.length === 0 ? 0 : 1);
