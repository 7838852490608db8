// Opens every page of an exported website in headless Chromium, as a visitor would, and checks
// that each page loads, every picture it shows decodes, and every link, picture source and
// background the page names resolves to a file of the website.
//
//   node check-site.mjs EXPORT_FOLDER [--expect-thumbnails]
//
// Exits 0 when everything works, 1 with one line per fault otherwise, 2 when it cannot run.
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import {fileURLToPath, pathToFileURL} from 'node:url';
import puppeteer from 'puppeteer-core';

const args = process.argv.slice(2);
const folder = args.find((a) => !a.startsWith('--'));
const expectThumbnails = args.includes('--expect-thumbnails');
if (!folder) {
    console.error('usage: node check-site.mjs EXPORT_FOLDER [--expect-thumbnails]');
    process.exit(2);
}
const root = path.resolve(folder);
const pages = fs.readdirSync(root).filter((name) => /\.html?$/i.test(name)).sort();
if (pages.length === 0) {
    console.error(`no pages in ${root}`);
    process.exit(2);
}

const chromium = process.env.CHROMIUM || '/usr/bin/chromium';
const profile = fs.mkdtempSync(path.join(os.tmpdir(), 'pagelorn-chromium-'));
const browser = await puppeteer.launch({
    executablePath: chromium,
    headless: true,
    userDataDir: profile,
    // The machine has no network beyond the package archives: everything that would call home
    // is switched off, and root needs --no-sandbox.
    args: ['--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
           '--disable-background-networking', '--disable-component-update', '--disable-sync',
           '--allow-file-access-from-files'],
});

const faults = [];
let pictures = 0;
let thumbnails = 0;
let links = 0;
try {
    const tab = await browser.newPage();
    for (const name of pages) {
        const url = pathToFileURL(path.join(root, name)).href;
        try {
            await tab.goto(url, {waitUntil: 'load', timeout: 30000});
        } catch (error) {
            faults.push(`${name}: does not load: ${error.message}`);
            continue;
        }
        // Pictures below the fold load only when scrolled to ("lazy"); every one is looked at.
        await tab.evaluate(() => Promise.all(Array.from(document.images).map((img) => {
            img.loading = 'eager';
            return img.complete ? null : new Promise((done) => {
                img.addEventListener('load', done);
                img.addEventListener('error', done);
            });
        })));
        const found = await tab.evaluate(() => {
            const resolve = (value) => new URL(value, document.baseURI).href;
            return {
                images: Array.from(document.images).map((img) => ({
                    src: img.src,
                    raw: img.getAttribute('src'),
                    width: img.naturalWidth,
                })),
                links: Array.from(document.querySelectorAll('a[href]'))
                           .map((a) => ({href: a.href, raw: a.getAttribute('href')})),
                backgrounds: Array.from(document.querySelectorAll('[background]'))
                                 .map((e) => e.getAttribute('background'))
                                 .filter((value) => value !== '')
                                 .map((value) => ({href: resolve(value), raw: value})),
            };
        });
        for (const image of found.images) {
            ++pictures;
            if (image.raw && image.raw.includes('/thumb/')) ++thumbnails;
            if (!(image.width > 0)) faults.push(`${name}: picture ${image.raw} does not show`);
        }
        for (const link of [...found.links, ...found.backgrounds]) {
            if (!link.href.startsWith('file:')) continue;  // web addresses are the user's own
            ++links;
            const target = fileURLToPath(link.href.split('#')[0]);
            if (!fs.existsSync(target)) faults.push(`${name}: ${link.raw} leads nowhere`);
            else if (!target.startsWith(root + path.sep) && target !== root)
                faults.push(`${name}: ${link.raw} leads outside the website`);
        }
    }
} finally {
    await browser.close();
    fs.rmSync(profile, {recursive: true, force: true});
}

if (expectThumbnails && thumbnails === 0) faults.push('no page shows a thumbnail file');
for (const fault of faults) console.log(fault);
console.log(`${pages.length} pages, ${pictures} pictures (${thumbnails} thumbnails), ` +
            `${links} local links: ${faults.length} faults`);
process.exit(faults.length === 0 ? 0 : 1);
