// Pictures as 640x480 RGB byte arrays: read from the Windows bitmaps the
// desktop build writes, and compared pixel for pixel.
import { readFileSync, writeFileSync } from 'node:fs';

// An uncompressed 24- or 32-bit Windows bitmap, bottom-up or top-down.
export function readBmp(file) {
  const b = readFileSync(file);
  if (b.toString('latin1', 0, 2) !== 'BM') throw new Error(`${file}: not a bitmap`);
  const offset = b.readUInt32LE(10);
  const width = b.readInt32LE(18);
  const rawHeight = b.readInt32LE(22);
  const bpp = b.readUInt16LE(28);
  const compression = b.readUInt32LE(30);
  if ((bpp !== 24 && bpp !== 32) || (compression !== 0 && compression !== 3)) {
    throw new Error(`${file}: ${bpp}-bit, compression ${compression}: not read here`);
  }
  const height = Math.abs(rawHeight);
  const stride = Math.ceil((width * bpp) / 32) * 4;
  const bytes = bpp / 8;
  const rgb = new Uint8Array(width * height * 3);
  for (let y = 0; y < height; y++) {
    const row = offset + (rawHeight > 0 ? height - 1 - y : y) * stride;
    for (let x = 0; x < width; x++) {
      const p = row + x * bytes;
      const o = (y * width + x) * 3;
      rgb[o] = b[p + 2];
      rgb[o + 1] = b[p + 1];
      rgb[o + 2] = b[p];
    }
  }
  return { width, height, rgb };
}

// RGBA bytes (a canvas's ImageData) to a picture.
export function fromRgba(width, height, rgba) {
  const rgb = new Uint8Array(width * height * 3);
  for (let i = 0, o = 0; i < width * height * 4; i += 4, o += 3) {
    rgb[o] = rgba[i];
    rgb[o + 1] = rgba[i + 1];
    rgb[o + 2] = rgba[i + 2];
  }
  return { width, height, rgb };
}

// The pixels where two pictures differ: a count and the first few.
export function difference(a, b, shown = 8) {
  if (a.width !== b.width || a.height !== b.height) {
    return { count: Infinity, text: `sizes differ: ${a.width}x${a.height} and ${b.width}x${b.height}` };
  }
  let count = 0;
  const first = [];
  for (let i = 0; i < a.width * a.height; i++) {
    const o = i * 3;
    if (a.rgb[o] !== b.rgb[o] || a.rgb[o + 1] !== b.rgb[o + 1] || a.rgb[o + 2] !== b.rgb[o + 2]) {
      count++;
      if (first.length < shown) {
        first.push(`(${i % a.width}, ${Math.floor(i / a.width)}): ${a.rgb.slice(o, o + 3).join(' ')}` +
                   ` vs ${b.rgb.slice(o, o + 3).join(' ')}`);
      }
    }
  }
  return { count, text: count === 0 ? 'identical' : `${count} pixels differ, first: ${first.join('; ')}` };
}

// A picture as a binary PPM, for looking at after a failure.
export function writePpm(file, p) {
  writeFileSync(file, Buffer.concat([Buffer.from(`P6\n${p.width} ${p.height}\n255\n`), Buffer.from(p.rgb)]));
}
