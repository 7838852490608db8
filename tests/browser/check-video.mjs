// Opens every page of a website exported in the modern style that shows a video in headless
// Chromium and checks that the video plays: the <video> element reaches readyState 2 (the data of
// the current frame is there) and its poster, where it has one, is a picture of the website.
//
//   node check-video.mjs EXPORT_FOLDER
//
// Exits 0 when every video plays, 1 with one line per fault otherwise (a website without a page
// that shows a video is one), 2 when it cannot run.
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import {fileURLToPath, pathToFileURL} from 'node:url';
import puppeteer from 'puppeteer-core';

const folder = process.argv[2];
if (!folder) {
    console.error('usage: node check-video.mjs EXPORT_FOLDER');
    process.exit(2);
}
const root = path.resolve(folder);
const pages = fs.readdirSync(root)
                  .filter((name) => /\.html?$/i.test(name))
                  .filter((name) => fs.readFileSync(path.join(root, name), 'utf8').includes('<video'))
                  .sort();

const chromium = process.env.CHROMIUM || '/usr/bin/chromium';
const profile = fs.mkdtempSync(path.join(os.tmpdir(), 'pagelorn-chromium-'));
const browser = await puppeteer.launch({
    executablePath: chromium,
    headless: true,
    userDataDir: profile,
    args: ['--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
           '--disable-background-networking', '--disable-component-update', '--disable-sync',
           '--allow-file-access-from-files', '--autoplay-policy=no-user-gesture-required'],
});

const faults = [];
if (pages.length === 0) faults.push(`${root}: no page shows a video`);
try {
    const tab = await browser.newPage();
    for (const name of pages) {
        await tab.goto(pathToFileURL(path.join(root, name)).href, {waitUntil: 'load', timeout: 30000});
        const poster = await tab.evaluate(() => {
            const video = document.querySelector('video');
            return video && video.getAttribute('poster') ? video.poster : '';
        });
        if (poster) {
            const target = fileURLToPath(poster);
            if (!target.startsWith(root + path.sep) || !fs.existsSync(target))
                faults.push(`${name}: the poster ${poster} is no file of the website`);
        }
        try {
            await tab.waitForFunction(
                () => {
                    const video = document.querySelector('video');
                    return video && !video.error && video.readyState >= 2;
                },
                {timeout: 20000});
        } catch {
            const state = await tab.evaluate(() => {
                const video = document.querySelector('video');
                return video ? `readyState ${video.readyState}, error ${
                                   video.error ? video.error.message || video.error.code : 'none'}`
                             : 'no <video>';
            });
            faults.push(`${name}: the video does not play (${state})`);
        }
    }
} finally {
    await browser.close();
    fs.rmSync(profile, {recursive: true, force: true});
}
for (const fault of faults) console.log(fault);
console.log(`${pages.length} page(s) with a video checked, ${faults.length} fault(s)`);
process.exit(faults.length === 0 ? 0 : 1);
