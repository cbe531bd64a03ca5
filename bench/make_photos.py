#!/usr/bin/env python3
"""Writes the benchmark photo set: 8 JPEGs of 6000x4000 and 8 of 4000x3000.

Real camera files are what plendo-batch is timed on, so the pictures carry
what makes those slow to decode and hard to compress: soft colour fields,
hard-edged shapes, textured detail at several scales and sensor grain, saved
at quality 92 with 4:2:0 chroma, behind a camera-like EXIF block with an IFD1
thumbnail. Everything comes from fixed seeds, so the set is the same on every
machine with the same libjpeg.

Usage: make_photos.py DIR    (files that already exist are kept)
"""
import io
import os
import struct
import sys

import numpy as np
from PIL import Image, ImageDraw, ImageFilter

SETS = [  # (name prefix, width, height, count)
    ("p24mp", 6000, 4000, 8),
    ("p12mp", 4000, 3000, 8),
]
QUALITY = 92
THUMB_SIZE = (160, 120)
STRIP = 500  # rows per numpy pass, keeps memory near one full-size image


def upscaled_noise(rng, w, h, cell, bands):
    """Random values on a coarse grid, bicubically blown up to w x h: a
    texture whose detail size is about `cell` pixels."""
    gw, gh = max(2, w // cell + 2), max(2, h // cell + 2)
    small = rng.integers(0, 256, size=(gh, gw, bands), dtype=np.uint8)
    mode = "RGB" if bands == 3 else "L"
    img = Image.fromarray(small if bands == 3 else small[:, :, 0], mode)
    return img.resize((w, h), Image.BICUBIC)


def shapes_layer(rng, w, h):
    """Hard-edged objects: the edges a resampler must keep clean."""
    img = Image.new("RGB", (w, h), (0, 0, 0))
    mask = Image.new("L", (w, h), 0)
    draw, mdraw = ImageDraw.Draw(img), ImageDraw.Draw(mask)
    scale = w / 6000
    for _ in range(40):
        colour = tuple(int(c) for c in rng.integers(20, 236, size=3))
        alpha = int(rng.integers(90, 220))
        x, y = rng.integers(0, w), rng.integers(0, h)
        r = int(rng.integers(60, 700) * scale) + 4
        kind = rng.integers(0, 3)
        if kind == 0:
            box = [x - r, y - r * 0.7, x + r, y + r * 0.7]
            draw.ellipse(box, fill=colour)
            mdraw.ellipse(box, fill=alpha)
        elif kind == 1:
            pts = [(int(x + rng.integers(-r, r)), int(y + rng.integers(-r, r))) for _ in range(5)]
            draw.polygon(pts, fill=colour)
            mdraw.polygon(pts, fill=alpha)
        else:
            x2, y2 = x + rng.integers(-3 * r, 3 * r), y + rng.integers(-r, r)
            width = int(rng.integers(2, 30) * scale) + 1
            draw.line([(x, y), (x2, y2)], fill=colour, width=width)
            mdraw.line([(x, y), (x2, y2)], fill=alpha, width=width)
    return img, mask


def render(seed, w, h):
    rng = np.random.default_rng(seed)
    sky = upscaled_noise(rng, w, h, w // 4, 3)          # broad colour casts
    mid = upscaled_noise(rng, w, h, 90, 1)              # shading
    fine = upscaled_noise(rng, w, h, 6, 1)              # foliage-like texture
    finest = upscaled_noise(rng, w, h, 2, 3)            # fabric, hair
    shapes, mask = shapes_layer(rng, w, h)
    shapes = shapes.filter(ImageFilter.GaussianBlur(1.2))  # lens softness
    mask = mask.filter(ImageFilter.GaussianBlur(1.2))

    out = np.empty((h, w, 3), dtype=np.uint8)
    layers = [np.asarray(im) for im in (sky, mid, fine, finest, shapes, mask)]
    for y0 in range(0, h, STRIP):
        y1 = min(h, y0 + STRIP)
        s, m, f, ff, sh, mk = (a[y0:y1].astype(np.float32) for a in layers)
        base = 0.55 * s + 0.45 * (m[..., None] - 128.0) + 60.0
        a = (mk / 255.0)[..., None]
        img = base * (1.0 - a) + sh * a
        # Texture is strongest in the mid-tones, as on real surfaces.
        tex = (f[..., None] - 128.0) * 0.30 + (ff - 128.0) * 0.22
        img += tex * (0.5 + 0.5 * np.sin(np.pi * np.clip(img, 0, 255) / 255.0))
        # Sensor grain: mostly luminance, some chroma.
        n = y1 - y0
        grain = rng.normal(0.0, 5.0, size=(n, w, 1)).astype(np.float32)
        grain = grain + rng.normal(0.0, 2.0, size=(n, w, 3)).astype(np.float32)
        img += grain
        out[y0:y1] = np.clip(img + 0.5, 0, 255).astype(np.uint8)
    return Image.fromarray(out, "RGB")


def strip_app0(jpeg):
    """Drops a JFIF APP0 segment: camera files start SOI, APP1 Exif."""
    assert jpeg[:2] == b"\xff\xd8"
    if jpeg[2:4] == b"\xff\xe0":
        seglen = struct.unpack(">H", jpeg[4:6])[0]
        return jpeg[:2] + jpeg[4 + seglen:]
    return jpeg


# TIFF field types
ASCII, SHORT, LONG, RATIONAL, UNDEFINED = 2, 3, 4, 5, 7


def ascii_value(s):
    b = s.encode("ascii") + b"\0"
    return (ASCII, len(b), b)


def short_value(v):
    return (SHORT, 1, struct.pack("<H", v))


def long_value(v):
    return (LONG, 1, struct.pack("<I", v))


def rational_value(num, den):
    return (RATIONAL, 1, struct.pack("<II", num, den))


def ifd_size(entries):
    data = sum(len(v[2]) for v in entries.values() if len(v[2]) > 4)
    data += data & 1
    return 2 + 12 * len(entries) + 4 + data


def pack_ifd(entries, offset, next_ifd):
    """One IFD at `offset` from the TIFF header, its long values right after."""
    head = struct.pack("<H", len(entries))
    data = b""
    data_at = offset + 2 + 12 * len(entries) + 4
    for tag in sorted(entries):
        ftype, count, value = entries[tag]
        if len(value) <= 4:
            field = value.ljust(4, b"\0")
        else:
            field = struct.pack("<I", data_at + len(data))
            data += value
            if len(data) & 1:
                data += b"\0"
        head += struct.pack("<HHI", tag, ftype, count) + field
    return head + struct.pack("<I", next_ifd) + data


def exif_app1(index, w, h, thumb):
    when = "2024:05:%02d 10:%02d:%02d" % (1 + index % 28, index % 60, (7 * index) % 60)
    exposure = [(1, 125), (1, 250), (1, 60), (1, 500)][index % 4]
    fnumber = [(28, 10), (40, 10), (56, 10), (80, 10)][index % 4]
    iso = [100, 200, 400, 800][index % 4]
    res = rational_value(72, 1)
    ifd0 = {
        0x010F: ascii_value("BenchCam"),                 # Make
        0x0110: ascii_value("BC-%d" % (w * h // 1000000)),  # Model
        0x0112: short_value(1),                          # Orientation
        0x011A: res, 0x011B: res,                        # X/YResolution
        0x0128: short_value(2),                          # ResolutionUnit
        0x0132: ascii_value(when),                       # DateTime
        0x0213: short_value(1),                          # YCbCrPositioning
        0x8769: long_value(0),                           # Exif IFD, set below
    }
    exif = {
        0x829A: rational_value(*exposure),               # ExposureTime
        0x829D: rational_value(*fnumber),                # FNumber
        0x8827: short_value(iso),                        # ISOSpeedRatings
        0x9000: (UNDEFINED, 4, b"0230"),                 # ExifVersion
        0x9003: ascii_value(when),                       # DateTimeOriginal
        0x9101: (UNDEFINED, 4, b"\1\2\3\0"),             # ComponentsConfiguration
        0xA000: (UNDEFINED, 4, b"0100"),                 # FlashpixVersion
        0xA001: short_value(1),                          # ColorSpace sRGB
        0xA002: long_value(w),                           # PixelXDimension
        0xA003: long_value(h),                           # PixelYDimension
    }
    ifd1 = {
        0x0103: short_value(6),                          # Compression: JPEG
        0x011A: res, 0x011B: res,
        0x0128: short_value(2),
        0x0201: long_value(0),                           # JPEGInterchangeFormat
        0x0202: long_value(len(thumb)),                  # ...Length
    }
    ifd0_at = 8
    exif_at = ifd0_at + ifd_size(ifd0)
    ifd1_at = exif_at + ifd_size(exif)
    thumb_at = ifd1_at + ifd_size(ifd1)
    ifd0[0x8769] = long_value(exif_at)
    ifd1[0x0201] = long_value(thumb_at)
    tiff = (b"II*\0" + struct.pack("<I", ifd0_at)
            + pack_ifd(ifd0, ifd0_at, ifd1_at)
            + pack_ifd(exif, exif_at, 0)
            + pack_ifd(ifd1, ifd1_at, 0)
            + thumb)
    payload = b"Exif\0\0" + tiff
    assert len(payload) + 2 <= 0xFFFF, "APP1 too large"
    return b"\xff\xe1" + struct.pack(">H", len(payload) + 2) + payload


def thumbnail_jpeg(img):
    """160x120, letterboxed for 3:2 frames as cameras do."""
    tw, th = THUMB_SIZE
    w, h = img.size
    sw, sh = (tw, round(tw * h / w)) if w * th >= h * tw else (round(th * w / h), th)
    small = img.resize((sw, sh), Image.BICUBIC, reducing_gap=3.0)
    frame = Image.new("RGB", THUMB_SIZE, (0, 0, 0))
    frame.paste(small, ((tw - sw) // 2, (th - sh) // 2))
    buf = io.BytesIO()
    frame.save(buf, "JPEG", quality=80, subsampling=2)
    return strip_app0(buf.getvalue())


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    outdir = sys.argv[1]
    os.makedirs(outdir, exist_ok=True)
    index = 0
    for prefix, w, h, count in SETS:
        for i in range(count):
            index += 1
            path = os.path.join(outdir, "%s_%02d.jpg" % (prefix, i + 1))
            if os.path.exists(path):
                continue
            img = render(1000 + index, w, h)
            buf = io.BytesIO()
            img.save(buf, "JPEG", quality=QUALITY, subsampling=2)
            body = strip_app0(buf.getvalue())
            jpeg = body[:2] + exif_app1(index, w, h, thumbnail_jpeg(img)) + body[2:]
            tmp = path + ".part"
            with open(tmp, "wb") as f:
                f.write(jpeg)
            os.replace(tmp, path)
            print("  %s  %.1f MB" % (path, len(jpeg) / 1e6), flush=True)


if __name__ == "__main__":
    main()
