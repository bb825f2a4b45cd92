// Benchmark of orvscene's page: its size per atom, and the time headless
// Chromium takes from opening it to its first frame, for the embedded
// molecule and for 100,000 atoms (1HPV tiled on a grid as the scene-build
// benchmark tiles it), beside the time the same browser takes to open a
// blank page in the same run. Prints the ratios against their targets.
//
//     node page-bench.mjs ORVSCENE_BINARY WORK_DIR [RUNS]
import { execFileSync } from 'node:child_process';
import http from 'node:http';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { fileURLToPath, pathToFileURL } from 'node:url';
import puppeteer from 'puppeteer-core';
import { chromiumFlags } from './chromium.mjs';
import { tiledPdb } from './tiled.mjs';

const [binary, workDir, runsText] = process.argv.slice(2);
if (!binary || !workDir) {
  console.error('usage: node page-bench.mjs ORVSCENE_BINARY WORK_DIR [RUNS]');
  process.exit(2);
}
const runs = Number(runsText ?? 5);
const here = path.dirname(fileURLToPath(import.meta.url));
fs.mkdirSync(workDir, { recursive: true });

function writePage(args, file) {
  const report = JSON.parse(execFileSync(binary, [...args, '--html', file, '--json', '--no-timings'],
                                         { encoding: 'utf8', maxBuffer: 1 << 26 }));
  return { atoms: report.atoms, bonds: report.bonds, bytes: fs.statSync(file).size };
}

async function firstFrame(browser, file, ready) {
  const page = await browser.newPage();
  await page.setViewport({ width: 800, height: 600 });
  const start = performance.now();
  await page.goto(pathToFileURL(file).href);
  await page.waitForFunction(ready, { timeout: 120000, polling: 'raf' });
  const ms = performance.now() - start;
  await page.close();
  return ms;
}

// The median time of a frame while the mouse drags across the page.
async function dragFrames(browser, file, steps = 30) {
  const page = await browser.newPage();
  await page.setViewport({ width: 800, height: 600 });
  await page.goto(pathToFileURL(file).href);
  await page.waitForFunction(() => window.orvscene?.ready === true, { timeout: 120000, polling: 'raf' });
  const frame = () => page.evaluate(() => new Promise((resolve) => requestAnimationFrame(() => resolve())));
  await page.mouse.move(300, 300);
  await page.mouse.down();
  const times = [];
  for (let k = 1; k <= steps; ++k) {
    const start = performance.now();
    await page.mouse.move(300 + k * 8, 300 + k * 3);
    await frame();
    await frame();
    times.push(performance.now() - start);
  }
  await page.mouse.up();
  await page.close();
  return median(times);
}

// The time three.js's GLTFLoader takes to fetch and parse a .glb, served
// from this machine.
async function gltfLoad(browser, origin, name) {
  const page = await browser.newPage();
  await page.goto(`${origin}/loader.html`);
  await page.waitForFunction(() => window.loadGlb !== undefined, { timeout: 60000 });
  const ms = await page.evaluate((url) => window.loadGlb(url), `${origin}/${name}`);
  await page.close();
  return ms;
}

function median(values) {
  const sorted = [...values].sort((a, b) => a - b);
  return sorted[Math.floor(sorted.length / 2)];
}

const pdb = path.join(workDir, 'tiled-1hpv.pdb');
fs.writeFileSync(pdb, tiledPdb(100000));
const pages = [
  { name: 'embedded 3AL1', file: path.join(workDir, 'bench-3al1.html'), ...writePage([], path.join(workDir, 'bench-3al1.html')) },
  { name: '1HPV tiled', file: path.join(workDir, 'bench-tiled.html'), ...writePage([pdb, '--labels', 'none'], path.join(workDir, 'bench-tiled.html')) },
];
const blank = path.join(workDir, 'blank.html');
fs.writeFileSync(blank, '<!DOCTYPE html><html><body><script>requestAnimationFrame(() => { window.blankReady = true; });</script></body></html>');

// The glTF of 1HPV and of 100,000 atoms, and a page that loads them with
// three.js's loader, served over a local HTTP server.
const hpvPdb = path.join(here, '../../../tests/data/1hpv.pdb');
for (const [input, name] of [[hpvPdb, 'bench-1hpv.glb'], [pdb, 'bench-tiled.glb']])
  execFileSync(binary, [input, '--labels', 'none', '--gltf', path.join(workDir, name), '--no-timings'], { maxBuffer: 1 << 26 });
const hpvPage = path.join(workDir, 'bench-1hpv.html');
writePage([hpvPdb], hpvPage);
fs.writeFileSync(path.join(workDir, 'loader.html'), `<!DOCTYPE html><html><body>
<script type="importmap">{"imports":{"three":"/three/build/three.module.js","three/addons/":"/three/examples/jsm/"}}</script>
<script type="module">
import { GLTFLoader } from 'three/addons/loaders/GLTFLoader.js';
window.loadGlb = async (url) => { const start = performance.now(); await new GLTFLoader().loadAsync(url); return performance.now() - start; };
</script></body></html>`);
const server = http.createServer((request, response) => {
  const url = decodeURIComponent(new URL(request.url, 'http://x').pathname);
  const file = url.startsWith('/three/') ? path.join(here, 'node_modules', url) : path.join(workDir, path.basename(url));
  const type = file.endsWith('.js') ? 'text/javascript' : file.endsWith('.html') ? 'text/html' : 'application/octet-stream';
  fs.readFile(file, (error, data) => {
    response.writeHead(error ? 404 : 200, { 'content-type': type });
    response.end(error ? '' : data);
  });
});
await new Promise((resolve) => server.listen(0, '127.0.0.1', resolve));
const origin = `http://127.0.0.1:${server.address().port}`;

const profile = fs.mkdtempSync(path.join(os.tmpdir(), 'orvscene-bench-'));
const browser = await puppeteer.launch({
  executablePath: process.env.CHROMIUM ?? '/usr/bin/chromium', headless: true, userDataDir: profile, args: chromiumFlags,
});
try {
  const blankTimes = [], times = pages.map(() => []);
  for (let run = 0; run < runs; ++run) {
    blankTimes.push(await firstFrame(browser, blank, () => window.blankReady === true));
    for (const [k, p] of pages.entries()) times[k].push(await firstFrame(browser, p.file, () => window.orvscene?.ready === true));
  }
  const blankMs = median(blankTimes);
  console.log(`blank page                 ${blankMs.toFixed(0)} ms to first frame (median of ${runs})`);
  for (const [k, p] of pages.entries()) {
    const ms = median(times[k]);
    console.log(`${p.name.padEnd(26)} ${p.atoms} atoms, ${p.bonds} bonds: ${(p.bytes / 1e6).toFixed(2)} MB, ` +
                `${(p.bytes / p.atoms).toFixed(1)} bytes/atom; first frame ${ms.toFixed(0)} ms, ` +
                `${(ms / blankMs).toFixed(1)}x the blank page`);
  }
  const big = pages[1], bigMs = median(times[1]);
  console.log(`ratio page size / 8 MB for ${big.atoms} atoms: ${(big.bytes / 8e6).toFixed(2)} (bound 1)`);
  console.log(`ratio first frame / (10 x blank page): ${(bigMs / (10 * blankMs)).toFixed(2)} (bound 1)`);

  const dragHpv = median([await dragFrames(browser, hpvPage), await dragFrames(browser, hpvPage)]);
  const dragBig = median([await dragFrames(browser, big.file), await dragFrames(browser, big.file)]);
  console.log(`frame while dragging: 1HPV ${dragHpv.toFixed(1)} ms, ${big.atoms} atoms ${dragBig.toFixed(1)} ms`);
  console.log(`ratio drag frame / (4 x 1HPV's): ${(dragBig / (4 * dragHpv)).toFixed(2)} (bound 1)`);

  const glbBytes = fs.statSync(path.join(workDir, 'bench-tiled.glb')).size;
  const loadHpv = median([await gltfLoad(browser, origin, 'bench-1hpv.glb'), await gltfLoad(browser, origin, 'bench-1hpv.glb'),
                          await gltfLoad(browser, origin, 'bench-1hpv.glb')]);
  const loadBig = median([await gltfLoad(browser, origin, 'bench-tiled.glb'), await gltfLoad(browser, origin, 'bench-tiled.glb'),
                          await gltfLoad(browser, origin, 'bench-tiled.glb')]);
  console.log(`glTF: ${big.atoms} atoms ${(glbBytes / 1e6).toFixed(1)} MB; GLTFLoader 1HPV ${loadHpv.toFixed(0)} ms, ` +
              `${big.atoms} atoms ${loadBig.toFixed(0)} ms`);
  console.log(`ratio glb size / 30 MB: ${(glbBytes / 30e6).toFixed(2)} (bound 1)`);
  console.log(`ratio glTF load / (20 x 1HPV's): ${(loadBig / (20 * loadHpv)).toFixed(2)} (bound 1)`);
} finally {
  await browser.close();
  server.close();
  fs.rmSync(profile, { recursive: true, force: true });
}
