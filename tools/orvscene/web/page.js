// The orvscene page: draws the scene that orvscene wrote into this file with
// three.js, turns it with the orbit controls and picks atoms by the tool's
// picking rule. When the page carries the structure's atoms and bonds, it
// draws the molecule from them and restyles, recolours and filters it on
// demand. Exposes a hook, window.orvscene, for scripts and tests.
import * as THREE from 'three';
import { OrbitControls } from 'three/addons/controls/OrbitControls.js';

const header = JSON.parse(document.getElementById('orvscene-header').textContent);

// --- the scene data: typed arrays cut from the (deflated) payload

async function loadPayload() {
  const text = document.getElementById('orvscene-data').textContent.trim();
  let bytes;
  if (Uint8Array.fromBase64) {
    bytes = Uint8Array.fromBase64(text);
  } else {
    const binary = atob(text);
    bytes = new Uint8Array(binary.length);
    for (let i = 0; i < binary.length; ++i) bytes[i] = binary.charCodeAt(i);
  }
  if (!header.deflated) return bytes.buffer;
  const stream = new Blob([bytes]).stream().pipeThrough(new DecompressionStream('deflate'));
  return new Response(stream).arrayBuffer();
}

function cutSections(buffer) {
  const sections = {};
  let offset = 0;
  for (const [name, type, length] of header.sections) {
    const Type = type === 'f32' ? Float32Array : type === 'u32' ? Uint32Array : Uint16Array;
    sections[name] = new Type(buffer, offset, length);
    offset += Math.ceil((length * Type.BYTES_PER_ELEMENT) / 4) * 4;
  }
  return sections;
}

// Quantised positions back to coordinates in angstrom.
function positions(steps) {
  const out = new Float32Array(steps.length);
  const [ox, oy, oz] = header.origin;
  const step = header.step;
  for (let i = 0; i < steps.length; i += 3) {
    out[i] = ox + steps[i] * step;
    out[i + 1] = oy + steps[i + 1] * step;
    out[i + 2] = oz + steps[i + 2] * step;
  }
  return out;
}

const palette = header.colours.map((hex) => new THREE.Color().setStyle(hex, THREE.SRGBColorSpace));

function colourArray(indices) {
  const out = new Float32Array(indices.length * 3);
  for (let i = 0; i < indices.length; ++i) palette[indices[i]].toArray(out, i * 3);
  return out;
}

// An object identifier as a colour of the identifier buffer (24 bits).
function idColours(ids) {
  const out = new Float32Array(ids.length * 3);
  for (let i = 0; i < ids.length; ++i) {
    out[i * 3] = ((ids[i] >> 16) & 255) / 255;
    out[i * 3 + 1] = ((ids[i] >> 8) & 255) / 255;
    out[i * 3 + 2] = (ids[i] & 255) / 255;
  }
  return out;
}

// --- meshes
//
// Spheres and cylinders are drawn as impostors: a square per primitive that
// the vertex shader sets up from the primitive's attributes and the fragment
// shader shades (for spheres, with the exact surface and depth), so each
// costs two triangles however large the scene. On a graphics processor they
// are instanced meshes; on a software renderer (which emulates instancing
// slowly) the same attributes are repeated per corner in one plain mesh.

const softwareRenderer = (() => {
  const gl = document.createElement('canvas').getContext('webgl2');
  const info = gl && gl.getExtension('WEBGL_debug_renderer_info');
  const name = info ? String(gl.getParameter(info.UNMASKED_RENDERER_WEBGL)) : '';
  return /swiftshader|llvmpipe|software/i.test(name);
})();

// A mesh of `count` copies of the square (corners at x, y = -1 .. 1 or as
// given), each with its own values of the named attributes.
function impostors(square, attributes, count, material) {
  let geometry;
  if (!softwareRenderer) {
    geometry = new THREE.InstancedBufferGeometry().copy(square);
    geometry.instanceCount = count;
    for (const [name, [values, size]] of Object.entries(attributes))
      geometry.setAttribute(name, new THREE.InstancedBufferAttribute(values, size));
  } else {
    const corners = square.getAttribute('position').array, index = square.getIndex().array;
    const n = corners.length / 3;
    geometry = new THREE.BufferGeometry();
    const position = new Float32Array(count * n * 3);
    for (let i = 0; i < count; ++i) position.set(corners, i * n * 3);
    geometry.setAttribute('position', new THREE.BufferAttribute(position, 3));
    for (const [name, [values, size]] of Object.entries(attributes)) {
      const repeated = new Float32Array(count * n * size);
      for (let i = 0; i < count; ++i)
        for (let k = 0; k < n; ++k)
          for (let c = 0; c < size; ++c) repeated[(i * n + k) * size + c] = values[i * size + c];
      geometry.setAttribute(name, new THREE.BufferAttribute(repeated, size));
    }
    const indices = new Uint32Array(count * index.length);
    for (let i = 0; i < count; ++i)
      for (let k = 0; k < index.length; ++k) indices[i * index.length + k] = index[k] + i * n;
    geometry.setIndex(new THREE.BufferAttribute(indices, 1));
  }
  const mesh = new THREE.Mesh(geometry, material);
  mesh.frustumCulled = false;
  return mesh;
}

// Shading shared by the impostors: Lambert under the page's ambient and
// directional light, fixed in the viewer's frame, and depth cueing that
// fades toward the background with the distance from the viewer. In the
// identifier pass the colour is the identifier, unshaded.
const fog = { uniform: { value: new THREE.Vector3(0, 1, 0) } }; // start, end, strength
const shade = `
  uniform vec3 fogRange;
  vec3 shade(vec3 colour, vec3 normal, float distance) {
  #ifdef ID_PASS
    return colour;
  #else
    float light = max(dot(normal, normalize(vec3(0.5, 0.6, 1.0))), 0.0);
    vec3 lit = colour * (1.0 + 2.3 * light) / 3.14159265;
    float f = clamp((distance - fogRange.x) / max(fogRange.y - fogRange.x, 1e-6), 0.0, 1.0) * fogRange.z;
    return mix(lit, vec3(1.0), f);
  #endif
  }`;
const finish = `
  #ifndef ID_PASS
    #include <colorspace_fragment>
  #endif`;

// The square stands at the sphere's centre across the line of sight to it,
// as wide as the cone of sight lines that touch the sphere is there: every
// ray that meets the sphere crosses the square, so the outline is whole at
// any angle and distance. The fragment shader meets the ray with the sphere
// for the surface, its normal and its depth.
function sphereMaterial(idPass) {
  return new THREE.ShaderMaterial({
    defines: idPass ? { ID_PASS: '' } : {},
    uniforms: { fogRange: fog.uniform },
    vertexShader: `
      attribute vec4 centreRadius;
      attribute vec3 colour;
      varying vec3 vColour;
      varying vec3 vCentre;
      varying vec3 vPoint;
      varying float vRadius;
      void main() {
        vec3 centre = (modelViewMatrix * vec4(centreRadius.xyz, 1.0)).xyz;
        float radius = centreRadius.w;
        float d2 = dot(centre, centre);
        vec3 axis = centre / sqrt(max(d2, 1e-30));
        float reach = d2 > radius * radius * 1.0001 ? 1.01 * radius * sqrt(d2 / (d2 - radius * radius)) : 0.0;
        vec3 across = normalize(cross(axis, abs(axis.y) < 0.9 ? vec3(0.0, 1.0, 0.0) : vec3(1.0, 0.0, 0.0)));
        vec3 up = cross(across, axis);
        vec3 corner = centre + (across * position.x + up * position.y) * reach;
        vColour = colour;
        vCentre = centre;
        vPoint = corner;
        vRadius = radius;
        gl_Position = projectionMatrix * vec4(corner, 1.0);
      }`,
    fragmentShader: `
      uniform mat4 projectionMatrix;
      varying vec3 vColour;
      varying vec3 vCentre;
      varying vec3 vPoint;
      varying float vRadius;
      ${shade}
      void main() {
        // Met from the square's point, near the sphere, so that single
        // precision holds for spheres far from the viewer too.
        vec3 ray = normalize(vPoint);
        vec3 w = vPoint - vCentre;
        float b = dot(w, ray);
        float disc = b * b - dot(w, w) + vRadius * vRadius;
        if (disc < 0.0) discard;
        vec3 surface = vPoint + ray * (-b - sqrt(disc));
        float t = length(surface);
        vec4 clip = projectionMatrix * vec4(surface, 1.0);
        gl_FragDepth = clip.z / clip.w * 0.5 + 0.5;
        gl_FragColor = vec4(shade(vColour, normalize(surface - vCentre), t), 1.0);
        ${finish}
      }`,
  });
}

// A cylinder is a band along its axis (x across, y = 0 .. 1 along) turned to
// face the viewer, shaded across as a cylinder and coloured by its ends'
// colours up to and from the middle; the balls at the atoms cover the joints.
function cylinderMaterial(idPass) {
  return new THREE.ShaderMaterial({
    side: THREE.DoubleSide, // the band's winding depends on which way the axis turns
    defines: idPass ? { ID_PASS: '' } : {},
    uniforms: { fogRange: fog.uniform },
    vertexShader: `
      attribute vec4 startRadius;
      attribute vec3 end;
      attribute vec3 colour1;
      attribute vec3 colour2;
      varying vec3 vColour1;
      varying vec3 vColour2;
      varying vec3 vSide;
      varying vec3 vPoint;
      varying float vAcross;
      varying float vAlong;
      void main() {
        vec3 a = (modelViewMatrix * vec4(startRadius.xyz, 1.0)).xyz;
        vec3 b = (modelViewMatrix * vec4(end, 1.0)).xyz;
        vec3 p = mix(a, b, position.y);
        vec3 side = cross(b - a, p);
        float size = length(side);
        side = size > 1e-12 ? side / size : vec3(1.0, 0.0, 0.0);
        vColour1 = colour1;
        vColour2 = colour2;
        vSide = side;
        vAcross = position.x;
        vAlong = position.y;
        vPoint = p + side * position.x * startRadius.w;
        gl_Position = projectionMatrix * vec4(vPoint, 1.0);
      }`,
    fragmentShader: `
      varying vec3 vColour1;
      varying vec3 vColour2;
      varying vec3 vSide;
      varying vec3 vPoint;
      varying float vAcross;
      varying float vAlong;
      ${shade}
      void main() {
        vec3 normal = normalize(vAcross * vSide + sqrt(max(1.0 - vAcross * vAcross, 0.0)) * vec3(0.0, 0.0, 1.0));
        gl_FragColor = vec4(shade(vAlong < 0.5 ? vColour1 : vColour2, normal, length(vPoint)), 1.0);
        ${finish}
      }`,
  });
}

const materials = {
  sphere: sphereMaterial(false), sphereId: sphereMaterial(true),
  cylinder: cylinderMaterial(false), cylinderId: cylinderMaterial(true),
  line: new THREE.LineBasicMaterial({ vertexColors: true, fog: true }),
  lineId: new THREE.LineBasicMaterial({ vertexColors: true }),
  dot: new THREE.PointsMaterial({ size: 6, sizeAttenuation: false, vertexColors: true, fog: true }),
  dotId: new THREE.PointsMaterial({ size: 6, sizeAttenuation: false, vertexColors: true }),
};

// --- what is drawn: spheres, cylinders, lines and dots with their colours
// and object identifiers, and the pick dots, as flat arrays

function emptyDrawing() {
  const seg = () => ({ a: [], b: [], colour1: [], colour2: [], id1: [], id2: [], radius: [] });
  return {
    spheres: { centre: [], radius: [], colour: [], id: [] },
    cylinders: seg(), lines: seg(),
    dots: { pos: [], colour: [], id: [] },
    pick: { pos: [], id: [] },
  };
}

// n points (x, y, z) and n radii interleaved as (x, y, z, r).
function withRadius(points, radii, n) {
  const out = new Float32Array(n * 4);
  for (let i = 0; i < n; ++i) {
    out[i * 4] = points[i * 3];
    out[i * 4 + 1] = points[i * 3 + 1];
    out[i * 4 + 2] = points[i * 3 + 2];
    out[i * 4 + 3] = radii[i];
  }
  return out;
}

function sphereMesh(s, idPass) {
  const n = s.id.length;
  if (!n) return null;
  const centreRadius = withRadius(s.centre, s.radius, n);
  const colour = idPass ? idColours(s.id) : Float32Array.from(s.colour);
  return impostors(new THREE.PlaneGeometry(2, 2), { centreRadius: [centreRadius, 4], colour: [colour, 3] }, n,
                   idPass ? materials.sphereId : materials.sphere);
}

function cylinderMesh(c, idPass) {
  const n = c.id1.length;
  if (!n) return null;
  const startRadius = withRadius(c.a, c.radius, n);
  const attributes = {
    startRadius: [startRadius, 4],
    end: [Float32Array.from(c.b), 3],
    colour1: [idPass ? idColours(c.id1) : Float32Array.from(c.colour1), 3],
    colour2: [idPass ? idColours(c.id2) : Float32Array.from(c.colour2), 3],
  };
  return impostors(new THREE.PlaneGeometry(2, 1).translate(0, 0.5, 0), attributes, n,
                   idPass ? materials.cylinderId : materials.cylinder);
}

// Lines in two halves, each in its end's colour.
function lineSegments(l, idPass) {
  const n = l.id1.length;
  if (!n) return null;
  const vertices = new Float32Array(n * 12), colours = new Float32Array(n * 12);
  const c1 = idPass ? idColours(l.id1) : l.colour1, c2 = idPass ? idColours(l.id2) : l.colour2;
  for (let i = 0; i < n; ++i) {
    for (let k = 0; k < 3; ++k) {
      const mid = (l.a[i * 3 + k] + l.b[i * 3 + k]) / 2;
      vertices[i * 12 + k] = l.a[i * 3 + k];
      vertices[i * 12 + 3 + k] = mid;
      vertices[i * 12 + 6 + k] = mid;
      vertices[i * 12 + 9 + k] = l.b[i * 3 + k];
      colours[i * 12 + k] = colours[i * 12 + 3 + k] = c1[i * 3 + k];
      colours[i * 12 + 6 + k] = colours[i * 12 + 9 + k] = c2[i * 3 + k];
    }
  }
  const geometry = new THREE.BufferGeometry();
  geometry.setAttribute('position', new THREE.BufferAttribute(vertices, 3));
  geometry.setAttribute('color', new THREE.BufferAttribute(colours, 3));
  const lines = new THREE.LineSegments(geometry, idPass ? materials.lineId : materials.line);
  lines.frustumCulled = false;
  return lines;
}

function dotPoints(d, idPass) {
  if (!d.id.length) return null;
  const geometry = new THREE.BufferGeometry();
  geometry.setAttribute('position', new THREE.BufferAttribute(Float32Array.from(d.pos), 3));
  geometry.setAttribute('color', new THREE.BufferAttribute(idPass ? idColours(d.id) : Float32Array.from(d.colour), 3));
  const points = new THREE.Points(geometry, idPass ? materials.dotId : materials.dot);
  points.frustumCulled = false;
  return points;
}

function drawingObjects(drawing, idPass) {
  return [sphereMesh(drawing.spheres, idPass), cylinderMesh(drawing.cylinders, idPass),
          lineSegments(drawing.lines, idPass), dotPoints(drawing.dots, idPass)].filter((o) => o);
}

// Icons as a three-axis jack of the given size.
function iconJacks(size) {
  const vertices = [], colours = [];
  for (const [x, y, z, colour] of header.icons) {
    for (const [dx, dy, dz] of [[size, 0, 0], [0, size, 0], [0, 0, size]]) {
      vertices.push(x - dx, y - dy, z - dz, x + dx, y + dy, z + dz);
      for (let k = 0; k < 2; ++k) colours.push(...palette[colour].toArray());
    }
  }
  const geometry = new THREE.BufferGeometry();
  geometry.setAttribute('position', new THREE.Float32BufferAttribute(vertices, 3));
  geometry.setAttribute('color', new THREE.Float32BufferAttribute(colours, 3));
  return new THREE.LineSegments(geometry, materials.line);
}

// --- the molecule: atoms with their fields, bonds, and the drawing of them
// in a style, a colouring and a selection of atoms

const chainColours = ['#3a7bd5', '#e0732c', '#2ca02c', '#d62728', '#9467bd', '#8c564b', '#e377c2', '#17becf',
                      '#bcbd22', '#7f7f7f'].map((hex) => new THREE.Color().setStyle(hex, THREE.SRGBColorSpace));

class Molecule {
  constructor(data) {
    this.count = data['atom.id'].length;
    const pos = data['atom.pos'];
    this.pos = new Float64Array(pos.length);
    for (let i = 0; i < pos.length; ++i) this.pos[i] = header.origin[i % 3] + pos[i];
    this.id = data['atom.id'];
    this.serial = data['atom.serial'];
    this.name = data['atom.name'];
    this.residue = data['atom.residue'];
    this.element = data['atom.element'];
    this.altloc = data['atom.altloc'];
    this.flags = data['atom.flags'];
    this.bfactor = data['atom.bfactor'] ?? null;
    this.occupancy = data['atom.occupancy'] ?? null;
    this.bondA = data['bond.a'];
    this.bondB = data['bond.b'];
    this.byId = new Map();
    for (let i = 0; i < this.count; ++i) this.byId.set(this.id[i], i);
    this.elementColour = header.elements.map(([, hex]) => new THREE.Color().setStyle(hex, THREE.SRGBColorSpace));
    this.chainIndex = new Map();
  }

  visible(i, show) {
    const f = this.flags[i];
    return !((f & 1) && !show.waters) && !((f & 2) && !show.hydrogens);
  }

  colour(i, colouring) {
    if (colouring === 'chain') {
      const chain = header.residues[this.residue[i]][0];
      if (!this.chainIndex.has(chain)) this.chainIndex.set(chain, this.chainIndex.size);
      return chainColours[this.chainIndex.get(chain) % chainColours.length];
    }
    if (colouring === 'bfactor' && this.bfactor) {
      if (this.bRange === undefined) {
        let lo = Infinity, hi = -Infinity;
        for (const b of this.bfactor) { lo = Math.min(lo, b); hi = Math.max(hi, b); }
        this.bRange = [lo, Math.max(hi, lo + 1e-6)];
      }
      // Blue (low) through white to red (high).
      const t = (this.bfactor[i] - this.bRange[0]) / (this.bRange[1] - this.bRange[0]);
      return t < 0.5 ? new THREE.Color(2 * t, 2 * t, 1) : new THREE.Color(1, 2 - 2 * t, 2 - 2 * t);
    }
    return this.elementColour[this.element[i]];
  }

  radius(i, style) {
    const vdw = header.elements[this.element[i]][2];
    return style === 'spacefill' ? vdw : style === 'ball-and-stick' ? vdw * header.ballScale : 0;
  }

  // The drawing of the visible atoms, as orvscene's scene would hold it:
  // balls and sticks, van der Waals spheres, or lines with a dot on each
  // atom without a bond; pick dots on every atom and in the middle of every
  // bond half.
  draw(style, colouring, show) {
    const d = emptyDrawing();
    const p = this.pos;
    const colours = new Array(this.count);
    const bonded = new Uint8Array(this.count);
    for (let k = 0; k < this.bondA.length; ++k) {
      const i = this.bondA[k], j = this.bondB[k];
      if (!this.visible(i, show) || !this.visible(j, show)) continue;
      bonded[i] = bonded[j] = 1;
      if (style === 'spacefill') continue;
      const ci = colours[i] ??= this.colour(i, colouring), cj = colours[j] ??= this.colour(j, colouring);
      const s = style === 'wire' ? d.lines : d.cylinders;
      s.a.push(p[i * 3], p[i * 3 + 1], p[i * 3 + 2]);
      s.b.push(p[j * 3], p[j * 3 + 1], p[j * 3 + 2]);
      s.colour1.push(ci.r, ci.g, ci.b);
      s.colour2.push(cj.r, cj.g, cj.b);
      s.id1.push(this.id[i]);
      s.id2.push(this.id[j]);
      s.radius.push(header.stickRadius);
      for (const [t, id] of [[0.25, this.id[i]], [0.75, this.id[j]]]) {
        d.pick.pos.push(p[i * 3] + t * (p[j * 3] - p[i * 3]), p[i * 3 + 1] + t * (p[j * 3 + 1] - p[i * 3 + 1]),
                        p[i * 3 + 2] + t * (p[j * 3 + 2] - p[i * 3 + 2]));
        d.pick.id.push(id);
      }
    }
    for (let i = 0; i < this.count; ++i) {
      if (!this.visible(i, show)) continue;
      const c = colours[i] ??= this.colour(i, colouring);
      d.pick.pos.push(p[i * 3], p[i * 3 + 1], p[i * 3 + 2]);
      d.pick.id.push(this.id[i]);
      if (style === 'wire') {
        if (bonded[i]) continue;
        d.dots.pos.push(p[i * 3], p[i * 3 + 1], p[i * 3 + 2]);
        d.dots.colour.push(c.r, c.g, c.b);
        d.dots.id.push(this.id[i]);
        continue;
      }
      d.spheres.centre.push(p[i * 3], p[i * 3 + 1], p[i * 3 + 2]);
      d.spheres.radius.push(this.radius(i, style));
      d.spheres.colour.push(c.r, c.g, c.b);
      d.spheres.id.push(this.id[i]);
    }
    return d;
  }
}

// The scene's own primitives: everything when the page has no atoms, else
// what stands for no atom (the principal axes).
function sceneDrawing(data, molecule) {
  const d = emptyDrawing();
  const keep = (id) => !molecule || !molecule.byId.has(id);
  const push = (target, values, i, size) => { for (let k = 0; k < size; ++k) target.push(values[i * size + k]); };
  const sp = positions(data['sphere.pos']), sc = colourArray(data['sphere.colour']);
  data['sphere.id'].forEach((id, i) => {
    if (!keep(id)) return;
    push(d.spheres.centre, sp, i, 3);
    push(d.spheres.colour, sc, i, 3);
    d.spheres.radius.push(header.radii[data['sphere.radius'][i]]);
    d.spheres.id.push(id);
  });
  for (const kind of ['cylinder', 'line']) {
    const a = positions(data[kind + '.end1']), b = positions(data[kind + '.end2']);
    const c1 = colourArray(data[kind + '.colour1']), c2 = colourArray(data[kind + '.colour2']);
    const s = kind === 'cylinder' ? d.cylinders : d.lines;
    data[kind + '.id1'].forEach((id1, i) => {
      const id2 = data[kind + '.id2'][i];
      if (!keep(id1) || !keep(id2)) return;
      push(s.a, a, i, 3); push(s.b, b, i, 3); push(s.colour1, c1, i, 3); push(s.colour2, c2, i, 3);
      s.id1.push(id1); s.id2.push(id2);
      s.radius.push(kind === 'cylinder' ? header.radii[data['cylinder.radius'][i]] : 0);
    });
  }
  const dp = positions(data['dot.pos']), dc = colourArray(data['dot.colour']);
  data['dot.id'].forEach((id, i) => {
    if (!keep(id)) return;
    push(d.dots.pos, dp, i, 3); push(d.dots.colour, dc, i, 3); d.dots.id.push(id);
  });
  // With a molecule, the pick dots of what stands for no atom of it.
  d.pick.pos = Array.from(positions(data['pick.pos']));
  d.pick.id = Array.from(data['pick.id']);
  return d;
}

function mergeDrawings(a, b) {
  const out = emptyDrawing();
  for (const kind of Object.keys(out))
    for (const field of Object.keys(out[kind])) out[kind][field] = [...a[kind][field], ...b[kind][field]];
  return out;
}

// --- measures, as the library computes them (degrees for angles)

const sub = (p, q) => [p[0] - q[0], p[1] - q[1], p[2] - q[2]];
const dot3 = (p, q) => p[0] * q[0] + p[1] * q[1] + p[2] * q[2];
const cross3 = (p, q) => [p[1] * q[2] - p[2] * q[1], p[2] * q[0] - p[0] * q[2], p[0] * q[1] - p[1] * q[0]];
const norm = (p) => Math.sqrt(dot3(p, p));

function measure(points) {
  const deg = 180 / Math.PI;
  if (points.length === 2) return { kind: 'distance', value: norm(sub(points[0], points[1])), unit: 'Å' };
  if (points.length === 3) {
    const u = sub(points[0], points[1]), v = sub(points[2], points[1]);
    const value = norm(u) === 0 || norm(v) === 0 ? 90 : Math.atan2(norm(cross3(u, v)), dot3(u, v)) * deg;
    return { kind: 'angle', value, unit: '°' };
  }
  if (points.length === 4) {
    const [p1, p2, p3, p4] = points;
    const f = cross3(sub(p1, p2), sub(p3, p2)), g = cross3(sub(p2, p3), sub(p4, p3));
    const fg = cross3(f, g);
    let value = Math.atan2(norm(fg), dot3(f, g)) * deg;
    if (dot3(fg, sub(p3, p2)) < 0) value = -value;
    return { kind: 'torsion', value, unit: '°' };
  }
  return null;
}

// --- the page

const container = document.getElementById('view');
const labelCanvas = document.getElementById('labels');
const labelContext = labelCanvas.getContext('2d');
const selectionBox = document.getElementById('selection');
document.getElementById('title').textContent = header.title;
document.title = header.title + ' (orvscene)';

let ready = false;
let api = null;

window.orvscene = Object.freeze({
  get atomCount() { return api ? api.atomCount() : 0; },
  get ready() { return ready; },
  screenPosition(id) { return api ? api.screenPosition(id) : null; },
  selection() { return api ? api.selection() : null; },
  pick(x, y) { return api ? api.pick(x, y) : null; },
  setStyle(style) { return api ? api.setStyle(style) : false; },
  setColoring(colouring) { return api ? api.setColouring(colouring) : false; },
  setVisible(what, on) { return api ? api.setVisible(what, on) : false; },
  setFog(on) { return api ? api.setFog(on) : false; },
  home() { if (api) api.home(); },
  measure(...ids) { return api ? api.measure(ids) : null; },
  idBuffer() { return api ? api.idBuffer() : null; },
  state() { return api ? api.state() : null; },
  idOf(serial) { return api ? api.idOf(serial) : null; },
  get camera() { return api ? api.cameraState() : null; },
});

async function main() {
  const data = cutSections(await loadPayload());
  const molecule = data['atom.pos'] && data['atom.element'] ? new Molecule(data) : null;
  const scene = new THREE.Scene();
  scene.background = new THREE.Color(0xffffff);
  scene.fog = new THREE.Fog(0xffffff, 1, 2);

  const state = {
    style: molecule ? header.style : null,
    colouring: 'element',
    show: { waters: true, hydrogens: molecule ? [...molecule.flags].some((f) => (f & 10) === 10) : true, labels: true },
    fog: false,
  };

  // The box of everything the page may draw, and the camera that sees all
  // of it along the view's z axis.
  const box = new THREE.Box3();
  const extend = (array) => { if (array.length) box.union(new THREE.Box3().setFromArray(array)); };
  for (const name of ['sphere.pos', 'cylinder.end1', 'cylinder.end2', 'line.end1', 'line.end2', 'dot.pos', 'pick.pos'])
    extend(positions(data[name]));
  if (molecule) extend(molecule.pos);
  if (box.isEmpty()) box.set(new THREE.Vector3(-5, -5, -5), new THREE.Vector3(5, 5, 5));
  const centre = box.getCenter(new THREE.Vector3());
  let largest = 0;
  for (const r of header.radii) largest = Math.max(largest, r);
  if (molecule) for (const [, , vdw] of header.elements) largest = Math.max(largest, vdw);
  const radius = Math.max(box.getSize(new THREE.Vector3()).length() / 2, 2);
  const reachAll = radius + largest; // every drawn surface lies within this of the centre

  const r = header.view; // rows of the view's rotation: columns are the view's axes in the model
  const viewX = new THREE.Vector3(r[0], r[3], r[6]);
  const viewY = new THREE.Vector3(r[1], r[4], r[7]);
  const viewZ = new THREE.Vector3().crossVectors(viewX, viewY).normalize();
  const camera = new THREE.PerspectiveCamera(30, 1, radius * 0.01, radius * 20);
  // Far enough that the atoms' extent across and up the view fits the window.
  const reach = [0, 0, 0], offset = new THREE.Vector3();
  const fitPoints = molecule ? molecule.pos : positions(data['pick.pos']);
  for (let i = 0; i < fitPoints.length; i += 3) {
    offset.set(fitPoints[i], fitPoints[i + 1], fitPoints[i + 2]).sub(centre);
    reach[0] = Math.max(reach[0], Math.abs(offset.dot(viewX)));
    reach[1] = Math.max(reach[1], Math.abs(offset.dot(viewY)));
    reach[2] = Math.max(reach[2], Math.abs(offset.dot(viewZ)));
  }
  const aspect = container.clientWidth / Math.max(container.clientHeight, 1);
  const slope = Math.tan(THREE.MathUtils.degToRad(15));
  const distance = Math.max(reach[0] / (slope * aspect), reach[1] / slope, radius * 0.2) * 1.12 + reach[2] + 2;
  camera.up.copy(viewY);
  camera.position.copy(centre).addScaledVector(viewZ, distance);
  camera.lookAt(centre);
  const homeView = { position: camera.position.clone(), target: centre.clone(), up: camera.up.clone() };

  scene.add(new THREE.AmbientLight(0xffffff, 1.0));
  const light = new THREE.DirectionalLight(0xffffff, 2.3);
  light.position.set(0.5, 0.6, 1);
  camera.add(light);
  scene.add(camera);

  const primitives = molecule ? molecule.count + molecule.bondA.length : data['sphere.id'].length + data['cylinder.id1'].length;
  const renderer = new THREE.WebGLRenderer({ antialias: primitives < 20000 });
  renderer.setPixelRatio(window.devicePixelRatio);
  container.appendChild(renderer.domElement);
  const controls = new OrbitControls(camera, renderer.domElement);
  controls.target.copy(centre);
  // Zoom: about 12 % a wheel notch, between a close look at one atom and
  // the molecule small in the middle of the window.
  controls.zoomSpeed = 2.5;
  controls.minDistance = 2;
  controls.maxDistance = distance * 6;
  controls.update();

  const fixed = header.icons.length ? [iconJacks(radius * 0.06)] : [];
  for (const o of fixed) scene.add(o);

  // What is drawn now: the molecule in the state's style, colouring and
  // selection of atoms, and the scene's other primitives.
  const sceneOwn = sceneDrawing(data, molecule);
  let drawing = null, objects = [];
  const drawnIds = new Set();
  function rebuild() {
    drawing = molecule ? mergeDrawings(molecule.draw(state.style, state.colouring, state.show), sceneOwn) : sceneOwn;
    for (const o of objects) { scene.remove(o); o.geometry.dispose(); }
    objects = drawingObjects(drawing, false);
    for (const o of objects) scene.add(o);
    drawnIds.clear();
    for (const id of drawing.pick.id) drawnIds.add(id);
    for (const id of drawing.spheres.id) drawnIds.add(id);
    pickIndex = null;
  }

  const atomPosition = (id) => {
    if (molecule && molecule.byId.has(id)) {
      const i = molecule.byId.get(id);
      return [molecule.pos[i * 3], molecule.pos[i * 3 + 1], molecule.pos[i * 3 + 2]];
    }
    const k = drawing.pick.id.indexOf(id);
    return k < 0 ? null : drawing.pick.pos.slice(k * 3, k * 3 + 3);
  };

  // Model point -> CSS pixels of the page and distance along the view.
  const clip = new THREE.Matrix4();
  let width = 1, height = 1, left = 0, top = 0;
  function updateClip() {
    camera.updateMatrixWorld();
    clip.multiplyMatrices(camera.projectionMatrix, camera.matrixWorldInverse);
    const rect = renderer.domElement.getBoundingClientRect();
    width = rect.width; height = rect.height; left = rect.left; top = rect.top;
  }
  function toScreen(x, y, z, out) {
    const e = clip.elements;
    const w = e[3] * x + e[7] * y + e[11] * z + e[15];
    if (w <= 0) return false;
    out.x = left + ((e[0] * x + e[4] * y + e[8] * z + e[12]) / w + 1) * 0.5 * width;
    out.y = top + (1 - (e[1] * x + e[5] * y + e[9] * z + e[13]) / w) * 0.5 * height;
    out.depth = w;
    return true;
  }

  // --- picking, the rule orvscene's --pick follows: a sphere or cylinder
  // drawn under the pointer wins, the one whose surface is nearest the
  // viewer (a cylinder names the atom of the half the pointer is on); only
  // where none is drawn, the pick dots within the pick radius compete, the
  // nearest to the pointer winning (at equal distance, the nearer one).
  let pickIndex = null;
  function rayThrough(px, py) {
    const ndc = new THREE.Vector3(((px - left) / width) * 2 - 1, 1 - ((py - top) / height) * 2, 0.5);
    const origin = camera.position.clone();
    const direction = ndc.unproject(camera).sub(origin).normalize();
    return { origin, direction };
  }
  function castRay(px, py, limit = Infinity) {
    const { origin: o, direction: dir } = rayThrough(px, py);
    let best = null, bestT = limit;
    const s = drawing.spheres;
    for (let i = 0; i < s.id.length; ++i) {
      if (!s.id[i]) continue;
      const cx = s.centre[i * 3] - o.x, cy = s.centre[i * 3 + 1] - o.y, cz = s.centre[i * 3 + 2] - o.z;
      const b = cx * dir.x + cy * dir.y + cz * dir.z;
      const disc = b * b - (cx * cx + cy * cy + cz * cz) + s.radius[i] * s.radius[i];
      if (disc < 0) continue;
      const t = b - Math.sqrt(disc);
      if (t > 0 && t < bestT) { bestT = t; best = s.id[i]; }
    }
    // Cylinders as drawn: the band's two triangles, its corners at each end
    // half a width across the axis and the line of sight; the half is the
    // one the hit point's place along the band falls in, as the band's
    // shader colours it.
    const c = drawing.cylinders;
    const side = (px2, py2, pz2, ux, uy, uz, r, out) => {
      // normalize(cross(u, p - eye)) * r
      const vx = px2 - o.x, vy = py2 - o.y, vz = pz2 - o.z;
      let sx = uy * vz - uz * vy, sy = uz * vx - ux * vz, sz = ux * vy - uy * vx;
      const n = Math.hypot(sx, sy, sz);
      if (n < 1e-12) return false;
      out[0] = (sx / n) * r; out[1] = (sy / n) * r; out[2] = (sz / n) * r;
      return true;
    };
    const sa = [0, 0, 0], sb = [0, 0, 0];
    // Ray and triangle (p0, p1, p2): t and the weights of p1 and p2, or null.
    const triangle = (p0, p1, p2) => {
      const e1 = [p1[0] - p0[0], p1[1] - p0[1], p1[2] - p0[2]], e2 = [p2[0] - p0[0], p2[1] - p0[1], p2[2] - p0[2]];
      const h = [dir.y * e2[2] - dir.z * e2[1], dir.z * e2[0] - dir.x * e2[2], dir.x * e2[1] - dir.y * e2[0]];
      const det = e1[0] * h[0] + e1[1] * h[1] + e1[2] * h[2];
      if (Math.abs(det) < 1e-14) return null;
      const f = 1 / det, sv = [o.x - p0[0], o.y - p0[1], o.z - p0[2]];
      const u = f * (sv[0] * h[0] + sv[1] * h[1] + sv[2] * h[2]);
      if (u < 0 || u > 1) return null;
      const q = [sv[1] * e1[2] - sv[2] * e1[1], sv[2] * e1[0] - sv[0] * e1[2], sv[0] * e1[1] - sv[1] * e1[0]];
      const v = f * (dir.x * q[0] + dir.y * q[1] + dir.z * q[2]);
      if (v < 0 || u + v > 1) return null;
      return [f * (e2[0] * q[0] + e2[1] * q[1] + e2[2] * q[2]), u, v];
    };
    for (let i = 0; i < c.id1.length; ++i) {
      const ax = c.a[i * 3], ay = c.a[i * 3 + 1], az = c.a[i * 3 + 2], bx = c.b[i * 3], by = c.b[i * 3 + 1], bz = c.b[i * 3 + 2];
      const ux = bx - ax, uy = by - ay, uz = bz - az, r = c.radius[i];
      // A quick miss: the ray passes the segment's bounding sphere.
      const mx = (ax + bx) / 2 - o.x, my = (ay + by) / 2 - o.y, mz = (az + bz) / 2 - o.z;
      const along = mx * dir.x + my * dir.y + mz * dir.z, reach = Math.hypot(ux, uy, uz) / 2 + r;
      if (mx * mx + my * my + mz * mz - along * along > reach * reach) continue;
      if (!side(ax, ay, az, ux, uy, uz, r, sa) || !side(bx, by, bz, ux, uy, uz, r, sb)) continue;
      const A0 = [ax - sa[0], ay - sa[1], az - sa[2]], A1 = [ax + sa[0], ay + sa[1], az + sa[2]];
      const B0 = [bx - sb[0], by - sb[1], bz - sb[2]], B1 = [bx + sb[0], by + sb[1], bz + sb[2]];
      // Along the band: 0 at A, 1 at B.
      for (const [p0, p1, p2, y0, y1, y2] of [[B0, A0, B1, 1, 0, 1], [A0, A1, B1, 0, 0, 1]]) {
        const hit = triangle(p0, p1, p2);
        if (!hit || hit[0] <= 0 || hit[0] >= bestT) continue;
        const y = y0 * (1 - hit[1] - hit[2]) + y1 * hit[1] + y2 * hit[2];
        bestT = hit[0];
        best = y < 0.5 ? c.id1[i] : c.id2[i];
      }
    }
    // Lines one pixel wide and dots six pixels square, as drawn; their
    // depth along the view turned into distance along the ray.
    const forward = camera.getWorldDirection(new THREE.Vector3());
    const slant = Math.max(dir.dot(forward), 1e-6);
    const at = {}, bt = {};
    const l = drawing.lines;
    for (let i = 0; i < l.id1.length; ++i) {
      if (!toScreen(l.a[i * 3], l.a[i * 3 + 1], l.a[i * 3 + 2], at) || !toScreen(l.b[i * 3], l.b[i * 3 + 1], l.b[i * 3 + 2], bt))
        continue;
      // A line covers the pixels whose centre lies within half a pixel of
      // it across its major direction, as lines are rasterised.
      const dx = bt.x - at.x, dy = bt.y - at.y;
      const major = Math.abs(dx) >= Math.abs(dy);
      const span = major ? dx : dy;
      if (span === 0) continue;
      const u = ((major ? px - at.x : py - at.y)) / span;
      if (u < 0 || u > 1) continue;
      const across = major ? py - (at.y + u * dy) : px - (at.x + u * dx);
      const id = u < 0.5 ? l.id1[i] : l.id2[i];
      if (!id || Math.abs(across) > 0.5) continue;
      const t = (at.depth + u * (bt.depth - at.depth)) / slant;
      if (t < bestT) { bestT = t; best = id; }
    }
    const d = drawing.dots;
    for (let i = 0; i < d.id.length; ++i) {
      if (!d.id[i] || !toScreen(d.pos[i * 3], d.pos[i * 3 + 1], d.pos[i * 3 + 2], at)) continue;
      if (Math.abs(at.x - px) > 3 || Math.abs(at.y - py) > 3) continue;
      const t = at.depth / slant;
      if (t < bestT) { bestT = t; best = d.id[i]; }
    }
    return best === null ? null : { id: best, t: bestT };
  }
  function pickAt(px, py) {
    const hit = castRay(px, py);
    if (hit) return hit.id;
    const limit2 = header.pickRadius * header.pickRadius;
    const at = {};
    let best = null, bestD2 = Infinity, bestDepth = Infinity;
    const p = drawing.pick;
    for (let i = 0; i < p.id.length; ++i) {
      if (!toScreen(p.pos[i * 3], p.pos[i * 3 + 1], p.pos[i * 3 + 2], at)) continue;
      const d2 = (at.x - px) ** 2 + (at.y - py) ** 2;
      if (d2 > limit2) continue;
      if (d2 < bestD2 || (d2 === bestD2 && at.depth < bestDepth)) { best = p.id[i]; bestD2 = d2; bestDepth = at.depth; }
    }
    return best;
  }

  // --- selection, highlight, info box and measurements

  let selected = null;
  const picks = []; // the atoms picked for a measurement, in order
  const highlight = new THREE.Mesh(new THREE.SphereGeometry(1, 24, 16),
                                   new THREE.MeshBasicMaterial({ color: 0xffc400, transparent: true, opacity: 0.55, depthWrite: false, depthTest: false }));
  highlight.visible = false;
  highlight.renderOrder = 1; // over everything, so that the selection shows even behind other atoms
  scene.add(highlight);
  const measureLines = new THREE.LineSegments(new THREE.BufferGeometry(),
                                              new THREE.LineDashedMaterial({ color: 0x222222, dashSize: 0.25, gapSize: 0.15, depthTest: false }));
  measureLines.renderOrder = 2;
  scene.add(measureLines);
  let measurement = null;

  function drawnRadius(id) {
    const s = drawing.spheres, k = s.id.indexOf(id);
    return k < 0 ? 0.3 : s.radius[k];
  }

  function describe(id) {
    if (!molecule) {
      const serials = data['atom.serial'];
      const i = serials ? serials.indexOf(id) : -1;
      if (i < 0) return `object ${id}`;
      const [chain, residue, number] = header.residues[data['atom.residue'][i]];
      return `chain ${chain || '-'} · residue ${residue} ${number} · atom ${header.names[data['atom.name'][i]]} · serial ${id}`;
    }
    const i = molecule.byId.get(id);
    if (i === undefined) return `object ${id}`;
    const [chain, residue, number] = header.residues[molecule.residue[i]];
    const rows = [
      ['atom', `${header.names[molecule.name[i]]} (${header.elements[molecule.element[i]][0]}) · serial ${molecule.serial[i]}`],
      ['residue', `${residue} ${number} · chain ${chain || '-'}`],
      ['altloc', molecule.altloc[i] ? String.fromCharCode(molecule.altloc[i]) : '-'],
    ];
    if (molecule.occupancy) rows.push(['occupancy', molecule.occupancy[i].toFixed(2)]);
    if (molecule.bfactor) rows.push(['B-factor', molecule.bfactor[i].toFixed(2)]);
    rows.push(['x, y, z', [0, 1, 2].map((k) => molecule.pos[i * 3 + k].toFixed(3)).join(', ')]);
    return rows.map(([k, v]) => `${k} ${v}`).join(' · ');
  }

  function select(id, measuring) {
    selected = id;
    selectionBox.textContent = id === null ? '' : describe(id);
    const at = id === null ? null : atomPosition(id);
    highlight.visible = at !== null;
    if (at) {
      highlight.position.set(at[0], at[1], at[2]);
      highlight.scale.setScalar(drawnRadius(id) + 0.6);
    }
    if (measuring && id !== null) {
      if (picks.length === 4) picks.length = 0;
      picks.push(id);
    } else {
      picks.length = 0;
    }
    showMeasurement();
  }

  function showMeasurement() {
    const points = picks.map(atomPosition).filter((p) => p);
    measurement = points.length >= 2 ? measure(points) : null;
    const vertices = [];
    for (let k = 1; k < points.length; ++k) vertices.push(...points[k - 1], ...points[k]);
    measureLines.geometry.dispose();
    measureLines.geometry = new THREE.BufferGeometry();
    measureLines.geometry.setAttribute('position', new THREE.Float32BufferAttribute(vertices, 3));
    measureLines.computeLineDistances();
    const box = document.getElementById('measure');
    box.textContent = measurement
      ? `${measurement.kind} ${measurement.value.toFixed(measurement.kind === 'distance' ? 3 : 2)} ${measurement.unit}`
      : picks.length ? 'pick up to 4 atoms: 2 distance, 3 angle, 4 torsion' : '';
    requestRender();
  }

  // --- labels on a 2D overlay, beside their point with a halo, hidden
  // where something drawn stands in front of their atom

  function drawLabels() {
    const ratio = window.devicePixelRatio;
    labelContext.setTransform(ratio, 0, 0, ratio, 0, 0);
    labelContext.clearRect(0, 0, labelCanvas.width, labelCanvas.height);
    const shown = header.labels.length && state.show.labels;
    const box = [];
    if (shown) {
      labelContext.font = '12px sans-serif';
      labelContext.lineWidth = 3;
      labelContext.lineJoin = 'round';
      labelContext.strokeStyle = 'rgba(255, 255, 255, 0.9)';
      labelContext.fillStyle = '#1e1e1e';
      const at = {};
      const near = camera.near;
      for (const [text, x, y, z, id] of header.labels) {
        if (id && molecule && molecule.byId.has(id) && !drawnIds.has(id)) continue; // its atom is hidden
        if (!toScreen(x, y, z, at) || at.depth < near || at.x < -50 || at.x > width + left || at.y < 0 || at.y > height + top + 20)
          continue;
        const d = camera.position.distanceTo(new THREE.Vector3(x, y, z));
        const hit = castRay(at.x, at.y, d - drawnRadius(id) - 0.05);
        if (hit && hit.id !== id) continue;
        labelContext.strokeText(text, at.x - left + 6, at.y - top - 6);
        labelContext.fillText(text, at.x - left + 6, at.y - top - 6);
        box.push(text);
      }
    }
    labelsDrawn = box.length;
    if (measurement && picks.length) {
      const p = atomPosition(picks[picks.length - 1]);
      const at = {};
      if (p && toScreen(p[0], p[1], p[2], at)) {
        const text = `${measurement.value.toFixed(measurement.kind === 'distance' ? 2 : 1)} ${measurement.unit}`;
        labelContext.font = 'bold 13px sans-serif';
        labelContext.lineWidth = 4;
        labelContext.strokeStyle = '#ffffff';
        labelContext.fillStyle = '#b00020';
        labelContext.strokeText(text, at.x - left + 8, at.y - top + 16);
        labelContext.fillText(text, at.x - left + 8, at.y - top + 16);
      }
    }
  }
  let labelsDrawn = 0;

  // --- rendering: the near and far planes hug the scene from wherever the
  // camera stands, so nothing is cut away at any zoom

  function fitPlanes() {
    const d = camera.position.distanceTo(centre);
    camera.near = Math.max(d - reachAll, reachAll * 1e-3, 0.05);
    camera.far = Math.max(d + reachAll, camera.near * 2);
    camera.updateProjectionMatrix();
    const start = Math.max(d - radius * 0.2, camera.near), end = d + reachAll;
    fog.uniform.value.set(start, end, state.fog ? 0.75 : 0);
    scene.fog.near = state.fog ? start : 1e9;
    scene.fog.far = state.fog ? end + (end - start) * 0.33 : 2e9;
  }

  let pending = false;
  function render() {
    pending = false;
    fitPlanes();
    renderer.render(scene, camera);
    updateClip();
    drawLabels();
  }
  function requestRender() {
    if (!pending) {
      pending = true;
      requestAnimationFrame(render);
    }
  }
  function resize() {
    const w = container.clientWidth, h = container.clientHeight;
    renderer.setSize(w, h);
    labelCanvas.width = Math.round(w * window.devicePixelRatio);
    labelCanvas.height = Math.round(h * window.devicePixelRatio);
    labelCanvas.style.width = w + 'px';
    labelCanvas.style.height = h + 'px';
    camera.aspect = w / Math.max(h, 1);
    camera.updateProjectionMatrix();
    requestRender();
  }
  controls.addEventListener('change', requestRender);
  window.addEventListener('resize', resize);

  function home() {
    camera.position.copy(homeView.position);
    camera.up.copy(homeView.up);
    controls.target.copy(homeView.target);
    controls.update();
    requestRender();
  }

  // Turns the view about so that the atom stands in the middle, at the same distance.
  function centreOn(id) {
    const p = atomPosition(id);
    if (!p) return;
    const target = new THREE.Vector3(...p);
    camera.position.add(target.clone().sub(controls.target));
    controls.target.copy(target);
    controls.update();
    requestRender();
  }

  // A click (a press and release without a drag) picks; a drag turns; with
  // shift (or in measuring mode) the picks add up to a measurement.
  let down = null, measuring = false;
  const canvas = renderer.domElement;
  canvas.addEventListener('pointerdown', (event) => { down = { x: event.clientX, y: event.clientY }; });
  canvas.addEventListener('pointerup', (event) => {
    if (down && Math.hypot(event.clientX - down.x, event.clientY - down.y) < 4) {
      updateClip();
      const id = pickAt(event.clientX, event.clientY);
      select(id, (measuring || event.shiftKey) && id !== null);
      requestRender();
    }
    down = null;
  });
  canvas.addEventListener('dblclick', (event) => {
    updateClip();
    const id = pickAt(event.clientX, event.clientY);
    if (id !== null) centreOn(id);
  });
  window.addEventListener('keydown', (event) => {
    if (event.target instanceof HTMLInputElement || event.target instanceof HTMLSelectElement) return;
    if (event.key === 'h' || event.key === 'Home') home();
    else if (event.key === 'm') setMeasuring(!measuring);
    else if (event.key === 'Escape') select(null, false);
    else if (event.key === 'l') setVisible('labels', !state.show.labels);
    else if (event.key === 'f') setFog(!state.fog);
  });

  // --- the controls

  const controlsBox = document.getElementById('controls');
  function setStyle(style) {
    if (!molecule || !['ball-and-stick', 'spacefill', 'wire'].includes(style)) return false;
    state.style = style;
    rebuild();
    if (selected !== null) select(selected, false);
    syncControls();
    requestRender();
    return true;
  }
  function setColouring(colouring) {
    if (!molecule || !['element', 'chain', 'bfactor'].includes(colouring)) return false;
    if (colouring === 'bfactor' && !molecule.bfactor) return false;
    state.colouring = colouring;
    rebuild();
    syncControls();
    requestRender();
    return true;
  }
  function setVisible(what, on) {
    if (!(what in state.show) || (!molecule && what !== 'labels')) return false;
    state.show[what] = Boolean(on);
    if (what !== 'labels') rebuild();
    if (selected !== null && !drawnIds.has(selected)) select(null, false);
    syncControls();
    requestRender();
    return true;
  }
  function setFog(on) {
    state.fog = Boolean(on);
    syncControls();
    requestRender();
    return true;
  }
  function setMeasuring(on) {
    measuring = on;
    if (!on) { picks.length = 0; showMeasurement(); }
    syncControls();
  }
  function syncControls() {
    for (const input of controlsBox.querySelectorAll('[data-style]')) input.checked = input.dataset.style === state.style;
    for (const input of controlsBox.querySelectorAll('[data-colouring]')) input.checked = input.dataset.colouring === state.colouring;
    for (const input of controlsBox.querySelectorAll('[data-show]')) input.checked = state.show[input.dataset.show];
    document.getElementById('fog').checked = state.fog;
    document.getElementById('measuring').checked = measuring;
  }
  for (const input of controlsBox.querySelectorAll('[data-style]'))
    input.addEventListener('change', () => setStyle(input.dataset.style));
  for (const input of controlsBox.querySelectorAll('[data-colouring]'))
    input.addEventListener('change', () => setColouring(input.dataset.colouring));
  for (const input of controlsBox.querySelectorAll('[data-show]'))
    input.addEventListener('change', () => setVisible(input.dataset.show, input.checked));
  document.getElementById('fog').addEventListener('change', (e) => setFog(e.target.checked));
  document.getElementById('measuring').addEventListener('change', (e) => setMeasuring(e.target.checked));
  document.getElementById('home').addEventListener('click', home);
  if (!molecule) for (const e of controlsBox.querySelectorAll('.molecule')) e.hidden = true;
  if (!molecule || !molecule.bfactor) for (const e of controlsBox.querySelectorAll('.bfactor')) e.hidden = true;
  if (!header.labels.length) for (const e of controlsBox.querySelectorAll('.labels')) e.hidden = true;

  // The identifier buffer: every drawn object in its identifier's colour,
  // unshaded and unblended, at the page's size in CSS pixels; for tests.
  function idBuffer() {
    updateClip();
    fitPlanes();
    const w = Math.round(width), h = Math.round(height);
    const target = new THREE.WebGLRenderTarget(w, h);
    const idScene = new THREE.Scene();
    idScene.background = new THREE.Color(0x000000);
    const idObjects = drawingObjects(drawing, true);
    for (const o of idObjects) idScene.add(o);
    const ratio = renderer.getPixelRatio();
    renderer.setPixelRatio(1);
    renderer.setRenderTarget(target);
    renderer.render(idScene, camera);
    const pixels = new Uint8Array(w * h * 4);
    renderer.readRenderTargetPixels(target, 0, 0, w, h, pixels);
    renderer.setRenderTarget(null);
    renderer.setPixelRatio(ratio);
    target.dispose();
    for (const o of idObjects) o.geometry.dispose();
    // Rows from the top, one identifier per CSS pixel.
    const ids = new Array(w * h);
    for (let y = 0; y < h; ++y)
      for (let x = 0; x < w; ++x) {
        const k = ((h - 1 - y) * w + x) * 4;
        ids[y * w + x] = (pixels[k] << 16) | (pixels[k + 1] << 8) | pixels[k + 2];
      }
    return { width: w, height: h, left, top, ids };
  }

  api = {
    atomCount: () => drawing.spheres.id.filter((id) => id).length || new Set(drawing.pick.id).size,
    screenPosition(id) {
      const p = atomPosition(id), at = {};
      if (!p || !toScreen(p[0], p[1], p[2], at)) return null;
      return { x: at.x, y: at.y };
    },
    selection: () => selected,
    pick(x, y) { updateClip(); return pickAt(x, y); },
    setStyle, setColouring, setVisible, setFog, home,
    measure(ids) {
      const points = ids.map(atomPosition);
      if (points.some((p) => !p)) return null;
      picks.length = 0;
      picks.push(...ids);
      showMeasurement();
      return measure(points);
    },
    idBuffer,
    state: () => ({ ...state, show: { ...state.show }, measuring, labelsDrawn, picks: [...picks] }),
    cameraState: () => ({ distance: camera.position.distanceTo(controls.target), near: camera.near, far: camera.far,
                          position: camera.position.toArray(), target: controls.target.toArray(),
                          world: camera.matrixWorld.toArray(), fov: camera.fov, aspect: camera.aspect,
                          minDistance: controls.minDistance, maxDistance: controls.maxDistance }),
    idOf(serial) {
      if (!molecule) return serial;
      const i = molecule.serial.indexOf(serial);
      return i < 0 ? null : molecule.id[i];
    },
  };

  rebuild();
  state.fog = (molecule ? molecule.count : drawing.pick.id.length) > 20000;
  syncControls();
  resize();
  render();
  requestAnimationFrame(() => { ready = true; });
}

main().catch((error) => {
  selectionBox.textContent = 'cannot show the scene: ' + error.message;
  throw error;
});
