// Browser tests of orvscene's page and glTF output: orvscene writes them for
// the embedded molecule; headless Chromium (driven by puppeteer-core) opens
// the page from file://, and Khronos' validator checks every .glb written.
//
//     node browser-test.mjs ORVSCENE_BINARY OUTPUT_DIR
//
// Prints one line per check and "N passed, N failed"; exits 1 on a failure.
import { execFileSync } from 'node:child_process';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { pathToFileURL } from 'node:url';
import puppeteer from 'puppeteer-core';
import validator from 'gltf-validator';
import { chromiumFlags } from './chromium.mjs';

const [binary, outDir] = process.argv.slice(2);
if (!binary || !outDir) {
  console.error('usage: node browser-test.mjs ORVSCENE_BINARY OUTPUT_DIR');
  process.exit(2);
}
fs.mkdirSync(outDir, { recursive: true });

let passed = 0, failed = 0;
function check(ok, what, detail = '') {
  if (ok) ++passed; else ++failed;
  console.log(`${ok ? 'ok  ' : 'FAIL'} ${what}${detail ? ` (${detail})` : ''}`);
}


function orvscene(args) {
  return JSON.parse(execFileSync(binary, [...args, '--json', '--no-timings'], { encoding: 'utf8' }));
}

// --- glTF: the container, the validator, and the scene's own counts

function readGlb(file) {
  const bytes = fs.readFileSync(file);
  if (bytes.toString('latin1', 0, 4) !== 'glTF' || bytes.readUInt32LE(4) !== 2 || bytes.readUInt32LE(8) !== bytes.length)
    throw new Error(`${file}: not a GLB of version 2 and its stated length`);
  const jsonLength = bytes.readUInt32LE(12);
  return JSON.parse(bytes.toString('utf8', 20, 20 + jsonLength));
}

async function validateGlb(file) {
  const report = await validator.validateBytes(new Uint8Array(fs.readFileSync(file)), { maxIssues: 100 });
  const errors = report.issues.messages.filter((m) => m.severity === 0).map((m) => `${m.code} at ${m.pointer}`);
  check(report.issues.numErrors === 0, `${path.basename(file)} passes gltf-validator with no errors`,
        errors.slice(0, 3).join('; '));
}

function instancesOf(gltf, kind) {
  const ids = [];
  for (const node of gltf.nodes) {
    if (node.extras?.kind !== kind) continue;
    const attributes = node.extensions.EXT_mesh_gpu_instancing.attributes;
    const count = gltf.accessors[attributes.TRANSLATION].count;
    if (count !== node.extras.objectIds.length || gltf.accessors[attributes.SCALE].count !== count)
      throw new Error(`${node.name}: instance attributes and identifiers disagree`);
    ids.push(...node.extras.objectIds);
  }
  return ids;
}

function checkGltfAgainstScene(gltf, report, label) {
  const primitives = report.primitives;
  const spheres = (primitives['opaque spheres'] ?? 0) + (primitives['transparent spheres'] ?? 0);
  const cylinders = (primitives['opaque cylinders'] ?? 0) + (primitives['transparent cylinders'] ?? 0);
  const lists = gltf.nodes.filter((n) => /^display list \d+$/.test(n.name));
  const root = gltf.nodes[gltf.scenes[0].nodes[0]];
  const chainLists = root.children.filter((i) => /^display list/.test(gltf.nodes[i].name));
  check(lists.length === report.chains + 1 && chainLists.length === report.chains,
        `${label}: a node for the root list and one for each chain's list under it`,
        `${lists.length} list nodes, ${chainLists.length} under the root, ${report.chains} chains`);
  const sphereIds = instancesOf(gltf, 'spheres');
  check(sphereIds.length === spheres, `${label}: sphere instances match the scene's spheres`,
        `${sphereIds.length} vs ${spheres}`);
  const halves = instancesOf(gltf, 'cylinder halves');
  check(halves.length === 2 * cylinders, `${label}: two cylinder halves per cylinder`,
        `${halves.length} vs ${cylinders}`);
  const halfIds = new Set(halves.map(([, end]) => end));
  check(halves.every(([id, end]) => id > 0 && end > 0) && [...halfIds].every((id) => sphereIds.includes(id)),
        `${label}: every cylinder half carries identifiers of drawn atoms`);
  const lines = gltf.nodes.filter((n) => n.extras?.kind === 'lines')
    .reduce((sum, n) => sum + gltf.accessors[gltf.meshes[n.mesh].primitives[0].attributes.POSITION].count / 4, 0);
  check(lines === (primitives.lines ?? 0), `${label}: two line halves per line`, `${lines} vs ${primitives.lines}`);
  return sphereIds;
}

// --- pictures: pixels of a PNG counted in a blank page's canvas

async function pixelStats(browser, png, colours) {
  const page = await browser.newPage();
  try {
    return await page.evaluate(async (src, colours) => {
      const image = new Image();
      image.src = src;
      await image.decode();
      const canvas = new OffscreenCanvas(image.width, image.height);
      const context = canvas.getContext('2d');
      context.drawImage(image, 0, 0);
      const data = context.getImageData(0, 0, image.width, image.height).data;
      let foreground = 0;
      const found = colours.map(() => 0);
      for (let i = 0; i < data.length; i += 4) {
        const [r, g, b] = [data[i], data[i + 1], data[i + 2]];
        if (r < 245 || g < 245 || b < 245) ++foreground;
        colours.forEach(([cr, cg, cb], k) => {
          if (Math.abs(r - cr) <= 14 && Math.abs(g - cg) <= 14 && Math.abs(b - cb) <= 14) ++found[k];
        });
      }
      return { share: foreground / (data.length / 4), found, pixels: Array.from(data) };
    }, 'data:image/png;base64,' + png.toString('base64'), colours);
  } finally {
    await page.close();
  }
}

function sphereColours(gltf) {
  const srgb = (c) => Math.round(255 * (c <= 0.0031308 ? 12.92 * c : 1.055 * c ** (1 / 2.4) - 0.055));
  const colours = new Map();
  for (const node of gltf.nodes)
    if (node.extras?.kind === 'spheres') {
      const factor = gltf.materials[gltf.meshes[node.mesh].primitives[0].material].pbrMetallicRoughness.baseColorFactor;
      colours.set(gltf.materials[gltf.meshes[node.mesh].primitives[0].material].name, factor.slice(0, 3).map(srgb));
    }
  return colours;
}

// Atom names by serial, from the embedded molecule's PDB text.
function pdbAtoms(file) {
  const atoms = new Map();
  for (const line of fs.readFileSync(file, 'utf8').split('\n'))
    if (/^(ATOM  |HETATM)/.test(line))
      atoms.set(Number(line.slice(6, 11)), { name: line.slice(12, 16).trim(), residue: line.slice(17, 20).trim() });
  return atoms;
}

async function main() {
  const html = path.join(outDir, 'scene.html');
  const glb = path.join(outDir, 'scene.glb');
  const report = orvscene(['--html', html, '--gltf', glb]);
  check(fs.statSync(html).size > 0 && fs.statSync(glb).size > 0, 'orvscene writes the page and the glTF');

  const gltf = readGlb(glb);
  await validateGlb(glb);
  const sphereIds = checkGltfAgainstScene(gltf, report, 'ball-and-stick');
  for (const style of ['spacefill', 'wire']) {
    const file = path.join(outDir, `scene-${style}.glb`);
    const styled = orvscene(['--style', style, '--gltf', file, '--html', path.join(outDir, `scene-${style}.html`)]);
    await validateGlb(file);
    checkGltfAgainstScene(readGlb(file), styled, style);
  }

  const profile = fs.mkdtempSync(path.join(os.tmpdir(), 'orvscene-chromium-'));
  const browser = await puppeteer.launch({
    executablePath: process.env.CHROMIUM ?? '/usr/bin/chromium',
    headless: true,
    userDataDir: profile,
    args: chromiumFlags,
    defaultViewport: { width: 800, height: 600 },
  });
  try {
    const page = await browser.newPage();
    const errors = [];
    page.on('pageerror', (e) => errors.push(e.message));
    page.on('requestfailed', (r) => errors.push(`request failed: ${r.url().slice(0, 80)}`));
    const requests = [];
    page.on('request', (r) => { if (!/^(file|data|blob):/.test(r.url())) requests.push(r.url()); });
    await page.goto(pathToFileURL(html).href);
    await page.waitForFunction(() => window.orvscene?.ready === true, { timeout: 60000 });
    check(errors.length === 0 && requests.length === 0, 'the page opens from file:// with no errors and no fetches',
          [...errors, ...requests].slice(0, 3).join('; '));

    const atomCount = await page.evaluate(() => window.orvscene.atomCount);
    check(atomCount === sphereIds.length, 'the hook counts every atom drawn', `${atomCount} vs ${sphereIds.length}`);

    const screenshot = await page.screenshot({ path: path.join(outDir, 'orvscene-page.png') });
    const colours = sphereColours(gltf);
    const stats = await pixelStats(browser, screenshot, [...colours.values()]);
    check(stats.share > 0.05 && stats.share < 0.7, 'the molecule covers a plausible share of the picture',
          `${(100 * stats.share).toFixed(1)} %`);
    [...colours.keys()].forEach((hex, k) =>
      check(stats.found[k] >= 10, `element colour ${hex} shows`, `${stats.found[k]} pixels`));

    // Click the atom that stands farthest from every other on screen.
    const positions = await page.evaluate((ids) => ids.map((id) => [id, window.orvscene.screenPosition(id)]), sphereIds);
    const onScreen = positions.filter(([, p]) => p && p.x > 20 && p.x < 780 && p.y > 120 && p.y < 580);
    let target = null, room = 0;
    for (const [id, p] of onScreen) {
      let nearest = Infinity;
      for (const [other, q] of positions) if (other !== id && q) nearest = Math.min(nearest, Math.hypot(p.x - q.x, p.y - q.y));
      if (nearest > room) { room = nearest; target = [id, p]; }
    }
    check(target !== null && room > 12, 'an atom stands apart on screen', `${room.toFixed(1)} px`);
    const atoms = pdbAtoms(process.env.ORVSCENE_PDB ?? path.join(path.dirname(new URL(import.meta.url).pathname), '..', '3al1.pdb'));
    await page.mouse.click(target[1].x, target[1].y);
    const picked = await page.evaluate(() => window.orvscene.selection());
    const info = await page.$eval('#selection', (e) => e.textContent);
    const atom = atoms.get(target[0]);
    check(picked === target[0], 'a click on an atom selects it', `${picked} vs ${target[0]}`);
    check(info.includes(`serial ${target[0]}`) && info.includes(`atom ${atom.name}`) && info.includes(atom.residue),
          'the info box names the atom', info);

    // A click far from every atom clears the selection.
    const empty = { x: 790, y: 590 };
    const clear = positions.every(([, p]) => !p || Math.hypot(p.x - empty.x, p.y - empty.y) > 40);
    await page.mouse.click(empty.x, empty.y);
    const after = await page.evaluate(() => window.orvscene.selection());
    const infoAfter = await page.$eval('#selection', (e) => e.textContent);
    check(clear && after === null && infoAfter === '', 'a click on empty space clears the selection');

    // A drag turns the molecule.
    await page.mouse.move(400, 300);
    await page.mouse.down();
    for (let step = 1; step <= 10; ++step) await page.mouse.move(400 + step * 15, 300 + step * 5);
    await page.mouse.up();
    await page.evaluate(() => new Promise((resolve) => requestAnimationFrame(() => requestAnimationFrame(resolve))));
    const turned = await page.screenshot();
    const before = stats.pixels, now = (await pixelStats(browser, turned, [])).pixels;
    let changed = 0;
    for (let i = 0; i < before.length; i += 4)
      if (Math.abs(before[i] - now[i]) + Math.abs(before[i + 1] - now[i + 1]) + Math.abs(before[i + 2] - now[i + 2]) > 30) ++changed;
    check(changed / (before.length / 4) > 0.02, 'a drag turns the picture', `${((100 * changed) / (before.length / 4)).toFixed(1)} % changed`);
    const stillSelected = await page.evaluate(() => window.orvscene.selection());
    check(stillSelected === null, 'a drag selects nothing');
  } finally {
    await browser.close();
    fs.rmSync(profile, { recursive: true, force: true });
  }
}

// Anything thrown outside the checks (a browser that dies, a protocol error)
// fails the run with its reason.
for (const event of ['unhandledRejection', 'uncaughtException'])
  process.on(event, (error) => {
    check(false, `no ${event}`, error?.stack ?? String(error));
    console.log(`${passed} passed, ${failed} failed`);
    process.exit(1);
  });

try {
  await main();
} catch (error) {
  check(false, 'the browser tests ran to the end', error.stack ?? String(error));
}
console.log(`${passed} passed, ${failed} failed`);
process.exit(failed ? 1 : 0);
