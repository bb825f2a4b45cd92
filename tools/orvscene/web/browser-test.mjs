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
import { fileURLToPath, pathToFileURL } from 'node:url';
import puppeteer from 'puppeteer-core';
import validator from 'gltf-validator';
import { chromiumFlags } from './chromium.mjs';
import { tiledPdb } from './tiled.mjs';

const [binary, outDir] = process.argv.slice(2);
const here = path.dirname(fileURLToPath(import.meta.url));
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
  const issues = report.issues.messages.filter((m) => m.severity <= 1).map((m) => `${m.code} at ${m.pointer}`);
  check(report.issues.numErrors === 0 && report.issues.numWarnings === 0,
        `${path.basename(file)} passes gltf-validator with no errors and no warnings`, issues.slice(0, 3).join('; '));
  // Extensions named are exactly those some object uses.
  const gltf = readGlb(file), used = new Set();
  const visit = (value) => {
    if (Array.isArray(value)) value.forEach(visit);
    else if (value && typeof value === 'object')
      for (const [key, inner] of Object.entries(value)) {
        if (key === 'extensions') for (const name of Object.keys(inner)) used.add(name);
        visit(inner);
      }
  };
  for (const [key, value] of Object.entries(gltf)) if (!key.startsWith('extensions')) visit(value);
  const named = [...(gltf.extensionsUsed ?? [])].sort().join(), required = [...(gltf.extensionsRequired ?? [])];
  check(named === [...used].sort().join() && required.every((e) => used.has(e)),
        `${path.basename(file)} names only the extensions it uses`, `used ${[...used]}, named ${named}`);
  return gltf;
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
  const lineNodes = gltf.nodes.filter((n) => n.extras?.kind === 'lines');
  const lines = lineNodes.reduce((sum, n) => sum + gltf.accessors[gltf.meshes[n.mesh].primitives[0].attributes.POSITION].count / 4, 0);
  check(lines === (primitives.lines ?? 0), `${label}: two line halves per line`, `${lines} vs ${primitives.lines}`);
  const kinds = gltf.nodes.filter((n) => n.mesh !== undefined);
  check(kinds.every((n) => Array.isArray(n.extras?.objectIds)) &&
        lineNodes.every((n) => n.extras.objectIds.length === gltf.accessors[gltf.meshes[n.mesh].primitives[0].attributes.POSITION].count / 4),
        `${label}: every drawing node, lines and dots too, lists its objects' identifiers`);
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


// --- the page's own checks, on one browser

async function openPage(browser, file, size = { width: 800, height: 600 }) {
  const page = await browser.newPage();
  await page.setViewport(size);
  const errors = [];
  page.on('pageerror', (e) => errors.push(e.message));
  await page.goto(pathToFileURL(file).href);
  await page.waitForFunction(() => window.orvscene?.ready === true, { timeout: 120000 });
  page.errors = errors;
  return page;
}

const frames = (page) => page.evaluate(() => new Promise((resolve) => requestAnimationFrame(() => requestAnimationFrame(resolve))));

// Pixels of the page's canvas: the share that is not background, counts of
// pixels near the given colours, and the mean brightness of the rest.
async function canvasStats(page, colours = []) {
  await frames(page);
  const png = await page.screenshot();
  return page.evaluate(async (src, colours) => {
    const image = new Image();
    image.src = src;
    await image.decode();
    const canvas = new OffscreenCanvas(image.width, image.height);
    const context = canvas.getContext('2d');
    context.drawImage(image, 0, 0);
    const data = context.getImageData(0, 0, image.width, image.height).data;
    let foreground = 0, brightness = 0, yellow = 0;
    const found = colours.map(() => 0);
    for (let i = 0; i < data.length; i += 4) {
      const [r, g, b] = [data[i], data[i + 1], data[i + 2]];
      if (r < 245 || g < 245 || b < 245) { ++foreground; brightness += r + g + b; }
      if (r > 180 && g > 130 && r - b > 90 && g - b > 50) ++yellow;
      colours.forEach(([cr, cg, cb], k) => {
        if (Math.abs(r - cr) <= 14 && Math.abs(g - cg) <= 14 && Math.abs(b - cb) <= 14) ++found[k];
      });
    }
    return { share: foreground / (data.length / 4), found, brightness: brightness / Math.max(foreground, 1) / 3, yellow };
  }, 'data:image/png;base64,' + png.toString('base64'), colours);
}

// The oracle of picking: the page draws every object in its identifier's
// colour; clicks on random drawn pixels must name what is drawn there, and
// clicks on background farther than 6 px from anything drawn name nothing.
async function checkPickingOracle(page, label, samples = 300) {
  const r = await page.evaluate((samples) => {
    const { width: w, height: h, left, top, ids } = window.orvscene.idBuffer();
    let seed = 20261208;
    const random = () => (seed = (seed * 1103515245 + 12345) % 2147483648) / 2147483648;
    const drawn = [];
    for (let i = 0; i < ids.length; ++i) if (ids[i]) drawn.push(i);
    let right = 0, tried = 0;
    const wrong = [];
    for (let k = 0; k < samples && drawn.length; ++k) {
      const i = drawn[Math.floor(random() * drawn.length)], x = i % w, y = Math.floor(i / w);
      const got = window.orvscene.pick(left + x + 0.5, top + y + 0.5);
      ++tried;
      if (got === ids[i]) ++right; else if (wrong.length < 4) wrong.push([x, y, ids[i], got]);
    }
    let empty = 0, picked = 0;
    for (let k = 0; k < 100000 && empty < samples; ++k) {
      const x = Math.floor(random() * w), y = Math.floor(random() * h);
      let near = false;
      for (let dy = -7; dy <= 7 && !near; ++dy)
        for (let dx = -7; dx <= 7 && !near; ++dx) {
          const xx = x + dx, yy = y + dy;
          near = dx * dx + dy * dy <= 49 && xx >= 0 && yy >= 0 && xx < w && yy < h && ids[yy * w + xx] !== 0;
        }
      if (near) continue;
      ++empty;
      if (window.orvscene.pick(left + x + 0.5, top + y + 0.5) !== null) ++picked;
    }
    return { right, tried, wrong, empty, picked, share: drawn.length / ids.length };
  }, samples);
  check(r.tried >= samples && r.right >= 0.98 * r.tried,
        `${label}: clicks on drawn balls and bonds name the atom the identifier buffer shows there`,
        `${r.right} of ${r.tried}; ${(100 * r.share).toFixed(1)} % drawn; wrong ${JSON.stringify(r.wrong)}`);
  check(r.empty >= samples / 2 && r.picked === 0, `${label}: clicks on background farther than 6 px pick nothing`,
        `${r.picked} of ${r.empty}`);
}

// The silhouette of a sphere near the window's edge, off the view's axis,
// against the analytic one: the pixels whose ray through their centre meets
// the sphere.
async function checkSilhouette(browser, outDir) {
  const xyz = path.join(outDir, 'three-atoms.xyz');
  fs.writeFileSync(xyz, '3\nthree atoms apart\nC 0 0 0\nC 9 0 0\nO -9 3.5 0\n');
  const html = path.join(outDir, 'three-atoms.html');
  orvscene([xyz, '--style', 'spacefill', '--html', html]);
  const page = await openPage(browser, html);
  try {
    const r = await page.evaluate(() => {
      const id = window.orvscene.idOf(3);
      const { width: w, height: h, ids } = window.orvscene.idBuffer();
      const c = window.orvscene.camera, m = c.world, t = Math.tan((c.fov * Math.PI) / 360);
      const centre = [-9, 3.5, 0], radius = 1.52;
      let drawn = 0, analytic = 0, differ = 0;
      for (let y = 0; y < h; ++y)
        for (let x = 0; x < w; ++x) {
          const vx = ((2 * (x + 0.5)) / w - 1) * t * c.aspect, vy = (1 - (2 * (y + 0.5)) / h) * t, vz = -1;
          const d = [m[0] * vx + m[4] * vy + m[8] * vz, m[1] * vx + m[5] * vy + m[9] * vz, m[2] * vx + m[6] * vy + m[10] * vz];
          const n = Math.hypot(...d);
          const o = [centre[0] - c.position[0], centre[1] - c.position[1], centre[2] - c.position[2]];
          const b = (o[0] * d[0] + o[1] * d[1] + o[2] * d[2]) / n;
          const inside = b * b - (o[0] ** 2 + o[1] ** 2 + o[2] ** 2) + radius * radius >= 0;
          const shown = ids[y * w + x] === id;
          analytic += inside; drawn += shown; differ += inside !== shown;
        }
      return { drawn, analytic, differ, off: window.orvscene.screenPosition(id) };
    });
    check(r.analytic > 2000 && r.differ <= 0.01 * r.analytic && r.off.x < 200,
          'an off-axis sphere near the window edge has its analytic silhouette',
          `${r.differ} pixels differ of ${r.analytic}, drawn ${r.drawn}, at x ${r.off.x.toFixed(0)}`);
  } finally {
    await page.close();
  }
}

function libraryMeasures(points) {
  const python = process.env.ORVCORE_PYTHON ?? '/usr/bin/python3';
  const code = `import json, sys, orvcore
p = [orvcore.Point3d(*q) for q in json.loads(sys.argv[1])]
print(json.dumps([orvcore.Distance(p[0], p[1]), orvcore.Angle(p[0], p[1], p[2]), orvcore.Dihedral(p[0], p[1], p[2], p[3])]))`;
  // The module of the same build as the tool.
  const modules = process.env.ORVCORE_PYTHONPATH ?? path.join(path.dirname(path.resolve(binary)), '..', 'python');
  return JSON.parse(execFileSync(python, ['-c', code, JSON.stringify(points)],
                                 { encoding: 'utf8', env: { ...process.env, PYTHONPATH: modules } }));
}

// 1HPV's page: picking, navigation, the info box, the controls, measuring.
async function checkViewer(browser, outDir) {
  const dir = path.join(outDir, 'entries');
  fs.mkdirSync(dir, { recursive: true });
  const pdb = path.join(dir, '1hpv.pdb');
  fs.copyFileSync(path.join(here, '../../../tests/data/1hpv.pdb'), pdb);
  const html = path.join(outDir, '1hpv.html');
  orvscene([pdb, '--html', html]);
  const page = await openPage(browser, html);
  try {
    const title = await page.title();
    check(title.startsWith('1HPV') && !title.includes('/'), 'the page is titled by the entry, not the file\'s directory', title);
    await checkPickingOracle(page, '1HPV ball-and-stick');
    await page.evaluate(() => window.orvscene.setStyle('spacefill'));
    await checkPickingOracle(page, '1HPV spacefill');
    await page.evaluate(() => window.orvscene.setStyle('wire'));
    await checkPickingOracle(page, '1HPV wire');
    await page.evaluate(() => window.orvscene.setStyle('ball-and-stick'));

    // Controls, each by the pixels it changes.
    const grey = [144, 144, 144], red = [255, 13, 13], blue = [58, 123, 213], text = [30, 30, 30];
    const base = await canvasStats(page, [grey, red, blue, text]);
    await page.evaluate(() => window.orvscene.setStyle('spacefill'));
    const spacefill = await canvasStats(page);
    await page.evaluate(() => window.orvscene.setStyle('wire'));
    const wire = await canvasStats(page);
    await page.evaluate(() => window.orvscene.setStyle('ball-and-stick'));
    check(spacefill.share > 1.5 * base.share && wire.share < base.share, 'style: spacefill covers more, wire less',
          `${(100 * base.share).toFixed(1)} %, spacefill ${(100 * spacefill.share).toFixed(1)} %, wire ${(100 * wire.share).toFixed(1)} %`);
    await page.evaluate(() => window.orvscene.setColoring('chain'));
    const chain = await canvasStats(page, [grey, red, blue, text]);
    await page.evaluate(() => window.orvscene.setColoring('element'));
    check(chain.found[2] > 10 * (base.found[2] + 10) && chain.found[0] < 0.3 * base.found[0],
          'colouring by chain paints the first chain in its colour, not the carbons grey',
          `chain colour ${base.found[2]} -> ${chain.found[2]}, grey ${base.found[0]} -> ${chain.found[0]}`);
    const atoms = await page.evaluate(() => window.orvscene.atomCount);
    await page.evaluate(() => window.orvscene.setVisible('waters', false));
    const dry = await canvasStats(page, [grey, red, blue, text]);
    const dryAtoms = await page.evaluate(() => window.orvscene.atomCount);
    await page.evaluate(() => window.orvscene.setVisible('waters', true));
    check(dryAtoms === atoms - 80 && dry.found[1] < base.found[1], 'hiding waters hides the 80 waters and their red',
          `${atoms} -> ${dryAtoms} atoms, red ${base.found[1]} -> ${dry.found[1]}`);
    await page.evaluate(() => window.orvscene.setVisible('labels', false));
    const bare = await canvasStats(page, [grey, red, blue, text]);
    const labelsOff = await page.evaluate(() => window.orvscene.state().labelsDrawn);
    await page.evaluate(() => window.orvscene.setVisible('labels', true));
    await frames(page); // the labels are counted as a frame draws them
    const labelsOn = await page.evaluate(() => window.orvscene.state().labelsDrawn);
    check(labelsOff === 0 && labelsOn > 20 && labelsOn < 198 && bare.found[3] < base.found[3],
          'labels show with a halo where their atom is in sight, and hide on demand',
          `${labelsOn} of 198 drawn; text pixels ${base.found[3]} -> ${bare.found[3]}`);
    await page.evaluate(() => window.orvscene.setFog(true));
    const fogged = await canvasStats(page);
    await page.evaluate(() => window.orvscene.setFog(false));
    check(fogged.brightness > base.brightness + 8, 'fog fades the far side toward the background',
          `mean brightness ${base.brightness.toFixed(0)} -> ${fogged.brightness.toFixed(0)}`);

    // Measurements against the library's own measures of the same atoms.
    const serials = [1, 2, 3, 4]; // N, CA, C, O of the first residue
    const coords = fs.readFileSync(pdb, 'utf8').split('\n').filter((l) => /^(ATOM  |HETATM)/.test(l))
      .filter((l) => serials.includes(Number(l.slice(6, 11))))
      .map((l) => [Number(l.slice(30, 38)), Number(l.slice(38, 46)), Number(l.slice(46, 54))]);
    const expected = libraryMeasures(coords);
    const measured = await page.evaluate((serials) => {
      const ids = serials.map((s) => window.orvscene.idOf(s));
      return [2, 3, 4].map((n) => window.orvscene.measure(...ids.slice(0, n)).value);
    }, serials);
    check(measured.every((v, k) => Math.abs(v - expected[k]) <= 1e-3),
          'distance, angle and torsion equal the library\'s to 1e-3', `${measured} vs ${expected}`);
    const drawnMeasure = await page.$eval('#measure', (e) => e.textContent);
    check(/torsion -?\d+\.\d\d °/.test(drawnMeasure), 'the measurement shows in the page', drawnMeasure);
    await page.keyboard.press('Escape');

    // The info box lets a drag that starts on it turn the scene.
    const pos = await page.evaluate(() => {
      const ids = [];
      for (let s = 1; s < 1600 && ids.length < 200; ++s) ids.push(window.orvscene.idOf(s));
      return ids.map((id) => [id, window.orvscene.screenPosition(id)]).filter(([, p]) => p);
    });
    const [id, at] = pos[Math.floor(pos.length / 2)];
    const plain = await canvasStats(page);
    await page.mouse.click(at.x, at.y);
    const info = await page.$eval('#info', (e) => { const r = e.getBoundingClientRect(); return { x: r.x + r.width / 2, y: r.y + r.height / 2, text: e.textContent }; });
    check(/serial \d+/.test(info.text) && /x, y, z -?\d+\.\d{3}/.test(info.text) && /altloc/.test(info.text) && /\(N|\(C|\(O|\(S/.test(info.text),
          'the info box gives name, element, serial, residue, chain, altloc and coordinates', info.text.trim().slice(0, 160));
    const highlighted = await canvasStats(page);
    const before = await page.evaluate(() => window.orvscene.camera.position);
    await page.mouse.move(info.x, info.y);
    await page.mouse.down();
    for (let step = 1; step <= 10; ++step) await page.mouse.move(info.x + step * 15, info.y + step * 8);
    await page.mouse.up();
    const after = await page.evaluate(() => window.orvscene.camera.position);
    check(Math.hypot(after[0] - before[0], after[1] - before[1], after[2] - before[2]) > 1,
          'a drag that starts on the info box turns the scene');
    // Highlight of the selection in the scene (a yellow shell about the atom).
    check(highlighted.yellow > plain.yellow + 30, 'the selected atom is highlighted in the scene',
          `${plain.yellow} -> ${highlighted.yellow} yellow pixels`);

    // Home: back to the starting view; double-click: the atom to the middle.
    await page.keyboard.press('h');
    await frames(page);
    const home = await page.evaluate(() => window.orvscene.camera);
    await page.evaluate(() => window.orvscene.home());
    const again = await page.evaluate(() => window.orvscene.camera);
    const start = await page.evaluate((id) => window.orvscene.screenPosition(id), id);
    await page.mouse.click(start.x, start.y, { clickCount: 2 });
    await frames(page);
    const centred = await page.evaluate((id) => window.orvscene.screenPosition(id), id);
    check(home.position.every((v, k) => Math.abs(v - again.position[k]) < 1e-6) &&
          Math.hypot(centred.x - 400, centred.y - 300) < 2,
          'the home key restores the view; a double click centres on the atom', `at ${centred.x.toFixed(1)}, ${centred.y.toFixed(1)}`);
    await page.evaluate(() => window.orvscene.home());

    // Zoom out 40 wheel notches and back in 40: the molecule stays drawn.
    await page.mouse.move(400, 300);
    const shares = [];
    for (const delta of [100, -100]) {
      for (let k = 0; k < 40; ++k) await page.mouse.wheel({ deltaY: delta });
      shares.push([(await canvasStats(page)).share, await page.evaluate(() => window.orvscene.camera)]);
    }
    const [[far, farCamera], [near, nearCamera]] = shares;
    check(far > 0.002 && near > 0.2 && farCamera.distance <= farCamera.maxDistance + 1e-6 &&
          nearCamera.distance >= nearCamera.minDistance - 1e-6,
          'zooming out 40 notches and in 40 keeps the molecule drawn, within the zoom limits',
          `${(100 * far).toFixed(2)} % at ${farCamera.distance.toFixed(0)} Å, ${(100 * near).toFixed(1)} % at ${nearCamera.distance.toFixed(1)} Å`);
    check(page.errors.length === 0, '1HPV\'s page runs without errors', page.errors.slice(0, 2).join('; '));
    await page.screenshot({ path: path.join(outDir, 'orvscene-1hpv.png') });
  } finally {
    await page.close();
  }
}

// A large scene: the picking oracle, and fog on by default.
async function checkLargeScene(browser, outDir) {
  const pdb = path.join(outDir, 'tiled.pdb');
  fs.writeFileSync(pdb, tiledPdb(26000));
  const html = path.join(outDir, 'tiled.html');
  orvscene([pdb, '--html', html, '--labels', 'none']);
  const page = await openPage(browser, html);
  try {
    const state = await page.evaluate(() => window.orvscene.state());
    check(state.fog === true, 'a large scene opens with fog on');
    await checkPickingOracle(page, '1HPV tiled to 26,000 atoms', 200);
  } finally {
    await page.close();
  }
}

async function main() {
  const html = path.join(outDir, 'scene.html');
  const glb = path.join(outDir, 'scene.glb');
  const report = orvscene(['--html', html, '--gltf', glb]);
  check(fs.statSync(html).size > 0 && fs.statSync(glb).size > 0, 'orvscene writes the page and the glTF');

  const gltf = readGlb(glb);
  await validateGlb(glb);
  const sphereIds = checkGltfAgainstScene(gltf, report, 'ball-and-stick');
  const plain = path.join(outDir, 'scene-plain.glb');
  orvscene(['--gltf', plain, '--no-instancing']);
  const plainGltf = await validateGlb(plain);
  check(plainGltf.nodes.filter((n) => n.extras?.kind === 'spheres').reduce((sum, n) => sum + n.extras.objectIds.length, 0) === sphereIds.length,
        'without instancing, plain meshes carry every sphere\'s identifier');
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
    check(picked === target[0], 'a click on an atom selects it', `${picked} vs ${target[0]}`);
    const serial = Number(/serial (\d+)/.exec(info)?.[1]);
    const atom = atoms.get(serial);
    check(atom && (await page.evaluate((s) => window.orvscene.idOf(s), serial)) === target[0] &&
          info.includes(`atom ${atom.name}`) && info.includes(atom.residue), 'the info box names the atom', info);

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
    await page.close();

    await checkSilhouette(browser, outDir);
    await checkViewer(browser, outDir);
    await checkLargeScene(browser, outDir);
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
