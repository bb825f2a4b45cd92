// Benchmark of orvscene's page: its size per atom, and the time headless
// Chromium takes from opening it to its first frame, for the embedded
// molecule and for 100,000 atoms (1HPV tiled on a grid as the scene-build
// benchmark tiles it), beside the time the same browser takes to open a
// blank page in the same run. Prints the ratios against their targets.
//
//     node page-bench.mjs ORVSCENE_BINARY WORK_DIR [RUNS]
import { execFileSync } from 'node:child_process';
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
} finally {
  await browser.close();
  fs.rmSync(profile, { recursive: true, force: true });
}
