// Serves an exported website on 127.0.0.1 (a free port) and runs Lighthouse in its default mobile
// mode on the pages given, printing each page's scores, layout shift, weight and requests as
// one JSON line; the audits that fail are listed under "failed".
//
//   node run-lighthouse.mjs EXPORT_FOLDER PAGE...
import fs from 'node:fs';
import http from 'node:http';
import path from 'node:path';
import * as chromeLauncher from 'chrome-launcher';
import lighthouse from 'lighthouse';

const [folder, ...pages] = process.argv.slice(2);
if (!folder || pages.length === 0) {
    console.error('usage: node run-lighthouse.mjs EXPORT_FOLDER PAGE...');
    process.exit(2);
}
const root = path.resolve(folder);
const types = {'.htm': 'text/html; charset=utf-8', '.html': 'text/html; charset=utf-8',
               '.css': 'text/css', '.jpg': 'image/jpeg', '.jpeg': 'image/jpeg',
               '.png': 'image/png', '.gif': 'image/gif', '.webp': 'image/webp',
               '.pdf': 'application/pdf', '.txt': 'text/plain'};
const server = http.createServer((request, response) => {
    const name = decodeURIComponent(new URL(request.url, 'http://localhost').pathname);
    let file = path.join(root, name);
    if (!file.startsWith(root)) file = root;
    if (fs.existsSync(file) && fs.statSync(file).isDirectory()) file = path.join(file, 'index.html');
    if (!fs.existsSync(file)) {
        response.writeHead(404);
        response.end();
        return;
    }
    response.writeHead(200, {'Content-Type': types[path.extname(file).toLowerCase()] ||
                                             'application/octet-stream'});
    fs.createReadStream(file).pipe(response);
});
await new Promise((resolve) => server.listen(0, '127.0.0.1', resolve));
const base = `http://127.0.0.1:${server.address().port}/`;

const chrome = await chromeLauncher.launch({
    chromePath: process.env.CHROMIUM || '/usr/bin/chromium',
    chromeFlags: ['--headless=new', '--no-sandbox', '--disable-gpu'],
});
try {
    for (const page of pages) {
        const result = await lighthouse(base + encodeURI(page), {port: chrome.port, output: 'json',
                                                                   logLevel: 'error'});
        const lhr = result.lhr;
        const audits = lhr.audits;
        const summary = audits['resource-summary'].details.items;
        const of = (type) => summary.find((item) => item.resourceType === type) || {};
        const failed = [];
        for (const [name, category] of Object.entries(lhr.categories))
            for (const ref of category.auditRefs) {
                const audit = audits[ref.id];
                if (ref.weight > 0 && audit.score !== null && audit.score < 1)
                    failed.push(`${name}:${ref.id}`);
            }
        console.log(JSON.stringify({
            page,
            performance: Math.round(lhr.categories.performance.score * 100),
            accessibility: Math.round(lhr.categories.accessibility.score * 100),
            bestPractices: Math.round(lhr.categories['best-practices'].score * 100),
            seo: Math.round(lhr.categories.seo.score * 100),
            cls: audits['cumulative-layout-shift'].numericValue,
            lcpMs: Math.round(audits['largest-contentful-paint'].numericValue),
            bytes: of('total').transferSize,
            requests: of('total').requestCount,
            scriptBytes: of('script').transferSize || 0,
            renderBlocking: audits['render-blocking-resources'].details?.items?.length ?? 0,
            failed,
        }));
    }
} finally {
    await chrome.kill();
    server.close();
}
