// The orvscene page: draws the scene that orvscene wrote into this file with
// three.js, turns it with the orbit controls and picks atoms through the
// scene's pick dots. Exposes a read-only hook, window.orvscene, for tests.
import * as THREE from 'three';
import { OrbitControls } from 'three/addons/controls/OrbitControls.js';

const header = JSON.parse(document.getElementById('orvscene-header').textContent);

// --- the scene data: typed arrays cut from the (deflated) payload

async function loadPayload() {
  const text = document.getElementById('orvscene-data').textContent.trim();
  const bytes = Uint8Array.fromBase64 ? Uint8Array.fromBase64(text) : Uint8Array.from(atob(text), (c) => c.charCodeAt(0));
  if (!header.deflated) return bytes.buffer;
  const stream = new Blob([bytes]).stream().pipeThrough(new DecompressionStream('deflate'));
  return new Response(stream).arrayBuffer();
}

function cutSections(buffer) {
  const sections = {};
  let offset = 0;
  for (const [name, type, length] of header.sections) {
    const wide = type === 'u32';
    sections[name] = wide ? new Uint32Array(buffer, offset, length) : new Uint16Array(buffer, offset, length);
    offset += Math.ceil((length * (wide ? 4 : 2)) / 4) * 4;
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
  for (let i = 0; i < indices.length; ++i) {
    const c = palette[indices[i]];
    c.toArray(out, i * 3);
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

// Lambert shading under the page's ambient and directional light, fixed in
// the viewer's frame (as the light that travels with the camera).
const shade = `
  vec3 shade(vec3 colour, vec3 normal) {
    float light = max(dot(normal, normalize(vec3(0.5, 0.6, 1.0))), 0.0);
    return colour * (1.0 + 2.3 * light) / 3.14159265;
  }`;

// The square, set before the viewer by the radius and widened a little,
// covers the sphere's outline under perspective; the fragment shader meets
// the view ray with the sphere for the surface, its normal and its depth.
const sphereMaterial = new THREE.ShaderMaterial({
  vertexShader: `
    attribute vec4 centreRadius;
    attribute vec3 colour;
    varying vec3 vColour;
    varying vec3 vCentre;
    varying vec3 vPoint;
    varying float vRadius;
    void main() {
      vec4 centre = modelViewMatrix * vec4(centreRadius.xyz, 1.0);
      float radius = centreRadius.w;
      vec4 corner = centre + vec4(position.xy * radius * 1.3, radius, 0.0);
      vColour = colour;
      vCentre = centre.xyz;
      vPoint = corner.xyz;
      vRadius = radius;
      gl_Position = projectionMatrix * corner;
    }`,
  fragmentShader: `
    uniform mat4 projectionMatrix;
    varying vec3 vColour;
    varying vec3 vCentre;
    varying vec3 vPoint;
    varying float vRadius;
    ${shade}
    void main() {
      vec3 ray = normalize(vPoint);
      float b = dot(ray, vCentre);
      float disc = b * b - dot(vCentre, vCentre) + vRadius * vRadius;
      if (disc < 0.0) discard;
      vec3 surface = ray * (b - sqrt(disc));
      vec4 clip = projectionMatrix * vec4(surface, 1.0);
      gl_FragDepth = clip.z / clip.w * 0.5 + 0.5;
      gl_FragColor = vec4(shade(vColour, normalize(surface - vCentre)), 1.0);
      #include <colorspace_fragment>
    }`,
});

function sphereMesh(data) {
  const centres = positions(data['sphere.pos']);
  const radii = data['sphere.radius'];
  const n = radii.length;
  const centreRadius = new Float32Array(n * 4);
  for (let i = 0; i < n; ++i) {
    centreRadius.set(centres.subarray(i * 3, i * 3 + 3), i * 4);
    centreRadius[i * 4 + 3] = header.radii[radii[i]];
  }
  const attributes = { centreRadius: [centreRadius, 4], colour: [colourArray(data['sphere.colour']), 3] };
  return { mesh: n ? impostors(new THREE.PlaneGeometry(2, 2), attributes, n, sphereMaterial) : null, centres };
}

// A cylinder is a band along its axis (x across, y = 0 .. 1 along) turned to
// face the viewer, shaded across as a cylinder and coloured by its ends'
// colours up to and from the middle; the balls at the atoms cover the joints.
const cylinderMaterial = new THREE.ShaderMaterial({
  side: THREE.DoubleSide, // the band's winding depends on which way the axis turns
  vertexShader: `
    attribute vec4 startRadius;
    attribute vec3 end;
    attribute vec3 colour1;
    attribute vec3 colour2;
    varying vec3 vColour1;
    varying vec3 vColour2;
    varying vec3 vSide;
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
      gl_Position = projectionMatrix * vec4(p + side * position.x * startRadius.w, 1.0);
    }`,
  fragmentShader: `
    varying vec3 vColour1;
    varying vec3 vColour2;
    varying vec3 vSide;
    varying float vAcross;
    varying float vAlong;
    ${shade}
    void main() {
      vec3 normal = normalize(vAcross * vSide + sqrt(max(1.0 - vAcross * vAcross, 0.0)) * vec3(0.0, 0.0, 1.0));
      gl_FragColor = vec4(shade(vAlong < 0.5 ? vColour1 : vColour2, normal), 1.0);
      #include <colorspace_fragment>
    }`,
});

function cylinderMesh(data) {
  const a = positions(data['cylinder.end1']);
  const radii = data['cylinder.radius'];
  const n = radii.length;
  const startRadius = new Float32Array(n * 4);
  for (let i = 0; i < n; ++i) {
    startRadius.set(a.subarray(i * 3, i * 3 + 3), i * 4);
    startRadius[i * 4 + 3] = header.radii[radii[i]];
  }
  const attributes = {
    startRadius: [startRadius, 4],
    end: [positions(data['cylinder.end2']), 3],
    colour1: [colourArray(data['cylinder.colour1']), 3],
    colour2: [colourArray(data['cylinder.colour2']), 3],
  };
  return impostors(new THREE.PlaneGeometry(2, 1).translate(0, 0.5, 0), attributes, n, cylinderMaterial);
}

// Lines in two halves, each in its end's colour.
function lineSegments(data) {
  const a = positions(data['line.end1']);
  const b = positions(data['line.end2']);
  const n = a.length / 3;
  const vertices = new Float32Array(n * 12);
  for (let i = 0; i < n; ++i) {
    for (let k = 0; k < 3; ++k) {
      const mid = (a[i * 3 + k] + b[i * 3 + k]) / 2;
      vertices[i * 12 + k] = a[i * 3 + k];
      vertices[i * 12 + 3 + k] = mid;
      vertices[i * 12 + 6 + k] = mid;
      vertices[i * 12 + 9 + k] = b[i * 3 + k];
    }
  }
  const colours = new Float32Array(n * 12);
  const c1 = data['line.colour1'], c2 = data['line.colour2'];
  for (let i = 0; i < n; ++i) {
    palette[c1[i]].toArray(colours, i * 12);
    palette[c1[i]].toArray(colours, i * 12 + 3);
    palette[c2[i]].toArray(colours, i * 12 + 6);
    palette[c2[i]].toArray(colours, i * 12 + 9);
  }
  const geometry = new THREE.BufferGeometry();
  geometry.setAttribute('position', new THREE.BufferAttribute(vertices, 3));
  geometry.setAttribute('color', new THREE.BufferAttribute(colours, 3));
  return new THREE.LineSegments(geometry, new THREE.LineBasicMaterial({ vertexColors: true }));
}

function dotPoints(data) {
  const geometry = new THREE.BufferGeometry();
  geometry.setAttribute('position', new THREE.BufferAttribute(positions(data['dot.pos']), 3));
  geometry.setAttribute('color', new THREE.BufferAttribute(colourArray(data['dot.colour']), 3));
  return new THREE.Points(geometry, new THREE.PointsMaterial({ size: 6, sizeAttenuation: false, vertexColors: true }));
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
  return new THREE.LineSegments(geometry, new THREE.LineBasicMaterial({ vertexColors: true }));
}

// --- the page

const container = document.getElementById('view');
const labelCanvas = document.getElementById('labels');
const labelContext = labelCanvas.getContext('2d');
const selectionBox = document.getElementById('selection');
document.getElementById('title').textContent = header.title;
document.title = header.title + ' (orvscene)';

let ready = false;
let selected = null;
let atomCount = 0;
let project = () => null;

window.orvscene = Object.freeze({
  get atomCount() { return atomCount; },
  get ready() { return ready; },
  screenPosition(serial) { return project(serial); },
  selection() { return selected; },
});

async function main() {
  const data = cutSections(await loadPayload());
  const scene = new THREE.Scene();
  scene.background = new THREE.Color(0xffffff);

  const spheres = sphereMesh(data);
  const cylinders = data['cylinder.radius'].length ? cylinderMesh(data) : null;
  for (const object of [spheres.mesh, cylinders, lineSegments(data), dotPoints(data)])
    if (object && object.geometry.getAttribute('position').count !== 0) scene.add(object);

  // The scene's box and the camera that sees all of it along the view's z axis.
  const box = new THREE.Box3();
  box.setFromArray(positions(data['pick.pos']));
  for (const name of ['sphere.pos', 'cylinder.end1', 'cylinder.end2', 'line.end1', 'line.end2', 'dot.pos'])
    if (data[name].length) box.union(new THREE.Box3().setFromArray(positions(data[name])));
  if (box.isEmpty()) box.set(new THREE.Vector3(-5, -5, -5), new THREE.Vector3(5, 5, 5));
  const centre = box.getCenter(new THREE.Vector3());
  const radius = Math.max(box.getSize(new THREE.Vector3()).length() / 2, 2);
  if (header.icons.length) scene.add(iconJacks(radius * 0.06));

  const r = header.view; // rows of the view's rotation: columns are the view's axes in the model
  const viewX = new THREE.Vector3(r[0], r[3], r[6]);
  const viewY = new THREE.Vector3(r[1], r[4], r[7]);
  const viewZ = new THREE.Vector3().crossVectors(viewX, viewY).normalize();
  const camera = new THREE.PerspectiveCamera(30, 1, radius * 0.01, radius * 20);
  // Far enough that the atoms' extent across and up the view fits the window.
  const reach = [0, 0, 0], offset = new THREE.Vector3();
  const points = positions(data['pick.pos']);
  for (let i = 0; i < points.length; i += 3) {
    offset.fromArray(points, i).sub(centre);
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

  scene.add(new THREE.AmbientLight(0xffffff, 1.0));
  const light = new THREE.DirectionalLight(0xffffff, 2.3);
  light.position.set(0.5, 0.6, 1);
  camera.add(light);
  scene.add(camera);

  const renderer = new THREE.WebGLRenderer({ antialias: data['sphere.id'].length + data['cylinder.radius'].length < 20000 });
  renderer.setPixelRatio(window.devicePixelRatio);
  container.appendChild(renderer.domElement);
  const controls = new OrbitControls(camera, renderer.domElement);
  controls.target.copy(centre);
  controls.update();

  // Atoms by serial, and each identifier's first pick dot (its atom's centre).
  const atomIndex = new Map();
  const serials = data['atom.serial'];
  for (let i = 0; i < serials.length; ++i) atomIndex.set(serials[i], i);
  const dotIds = data['pick.id'];
  const dots = positions(data['pick.pos']);
  const firstDot = new Map();
  for (let i = 0; i < dotIds.length; ++i) if (!firstDot.has(dotIds[i])) firstDot.set(dotIds[i], i);
  atomCount = 0;
  for (const serial of serials) if (firstDot.has(serial)) ++atomCount;

  // Model point -> CSS pixels of the page and distance along the view.
  const clip = new THREE.Matrix4();
  let width = 1, height = 1, left = 0, top = 0;
  function updateClip() {
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

  project = (serial) => {
    const i = firstDot.get(serial);
    const at = {};
    if (i === undefined || !atomIndex.has(serial) || !toScreen(dots[i * 3], dots[i * 3 + 1], dots[i * 3 + 2], at))
      return null;
    return { x: at.x, y: at.y };
  };

  // The pick, as orvscene's --pick makes it: of the pick dots within the
  // pick radius of the pointer (CSS pixels) and the spheres whose drawn disc
  // holds it (at the depth of the sphere's surface there), the one nearest
  // the viewer; at equal depth, the one nearest the pointer.
  function pickAt(px, py) {
    const limit2 = header.pickRadius * header.pickRadius;
    const at = {};
    let best = null, bestDepth = Infinity, bestD2 = Infinity;
    const consider = (id, depth, d2) => {
      if (depth < bestDepth || (depth === bestDepth && d2 < bestD2)) {
        best = id; bestDepth = depth; bestD2 = d2;
      }
    };
    for (let i = 0; i < dotIds.length; ++i) {
      if (!toScreen(dots[i * 3], dots[i * 3 + 1], dots[i * 3 + 2], at)) continue;
      const d2 = (at.x - px) ** 2 + (at.y - py) ** 2;
      if (d2 <= limit2) consider(dotIds[i], at.depth, d2);
    }
    const focal = camera.projectionMatrix.elements[5] * 0.5 * height; // pixels per unit at distance 1
    const sphereIds = data['sphere.id'], sphereRadii = data['sphere.radius'], c = spheres.centres;
    for (let i = 0; i < sphereIds.length; ++i) {
      if (!sphereIds[i] || !toScreen(c[i * 3], c[i * 3 + 1], c[i * 3 + 2], at)) continue;
      const r = header.radii[sphereRadii[i]];
      const d2 = (at.x - px) ** 2 + (at.y - py) ** 2;
      const off2 = (d2 * at.depth * at.depth) / (focal * focal); // squared offset from the centre, in angstrom
      if (off2 <= r * r) consider(sphereIds[i], at.depth - Math.sqrt(r * r - off2), d2);
    }
    return best;
  }

  function describe(serial) {
    const i = atomIndex.get(serial);
    if (i === undefined) return `object ${serial}`;
    const [chain, residue, number] = header.residues[data['atom.residue'][i]];
    const name = header.names[data['atom.name'][i]];
    return `chain ${chain || '-'} · residue ${residue} ${number} · atom ${name} · serial ${serial}`;
  }

  function select(serial) {
    selected = serial;
    selectionBox.textContent = serial === null ? '' : describe(serial);
  }

  // Labels on a 2D overlay, beside their point as the picture draws them.
  function drawLabels() {
    const ratio = window.devicePixelRatio;
    labelContext.setTransform(ratio, 0, 0, ratio, 0, 0);
    labelContext.clearRect(0, 0, labelCanvas.width, labelCanvas.height);
    labelContext.font = '12px sans-serif';
    labelContext.fillStyle = '#1e1e1e';
    const at = {};
    for (const [text, x, y, z] of header.labels)
      if (toScreen(x, y, z, at) && at.x > -50 && at.x < width && at.y > 0 && at.y < height + 20)
        labelContext.fillText(text, at.x - left + 6, at.y - top - 6);
  }

  let pending = false;
  function render() {
    pending = false;
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

  // A click (a press and release without a drag) picks; a drag turns.
  let down = null;
  renderer.domElement.addEventListener('pointerdown', (event) => { down = { x: event.clientX, y: event.clientY }; });
  renderer.domElement.addEventListener('pointerup', (event) => {
    if (down && Math.hypot(event.clientX - down.x, event.clientY - down.y) < 4) {
      updateClip();
      select(pickAt(event.clientX, event.clientY));
    }
    down = null;
  });

  resize();
  render();
  requestAnimationFrame(() => { ready = true; });
}

main().catch((error) => {
  selectionBox.textContent = 'cannot show the scene: ' + error.message;
  throw error;
});
