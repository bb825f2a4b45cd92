// 1HPV's atoms tiled 60 angstrom apart (4 x 4 x n) until there are `count`
// of them: a large scene of real geometry for the browser tests and the
// benchmark.
import fs from 'node:fs';
import path from 'node:path';
import { fileURLToPath } from 'node:url';

const here = path.dirname(fileURLToPath(import.meta.url));

export function tiledPdb(count) {
  const lines = fs.readFileSync(path.join(here, '../../../tests/data/1hpv.pdb'), 'utf8').split('\n')
    .filter((l) => /^(ATOM  |HETATM)/.test(l) && l.length >= 54);
  const chains = 'ABCDEFGHIJKLMNOPQRSTUVWXYZ';
  const out = [];
  let serial = 0;
  for (let tile = 0; serial < count; ++tile) {
    const dx = 60 * (tile % 4), dy = 60 * (Math.floor(tile / 4) % 4), dz = 60 * Math.floor(tile / 16);
    for (const line of lines) {
      const field = (v) => v.toFixed(3).padStart(8);
      const x = Number(line.slice(30, 38)) + dx, y = Number(line.slice(38, 46)) + dy, z = Number(line.slice(46, 54)) + dz;
      out.push(line.slice(0, 6) + String(++serial % 100000).padStart(5) + line.slice(11, 21) + chains[tile % 26] +
               line.slice(22, 30) + field(x) + field(y) + field(z) + line.slice(54));
    }
  }
  return out.join('\n') + '\n';
}
