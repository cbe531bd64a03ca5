#!/usr/bin/python3
"""Writes the HDR twin of an 8-bit sRGB picture as raw 16-bit RGB: SDR white
at 203 nits (HDR reference white), the colours in BT.2020 primaries, coded
with the PQ or the HLG curve. Usage: hdr_twin.py pq|hlg WIDTH HEIGHT < rgb8 > rgb16"""
import sys

import numpy as np

curve, width, height = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
sdr = np.frombuffer(sys.stdin.buffer.read(), np.uint8).reshape(height, width, 3) / 255.0
linear = np.where(sdr <= 0.04045, sdr / 12.92, ((sdr + 0.055) / 1.055) ** 2.4)
to_2020 = np.array([[0.6274, 0.3293, 0.0433], [0.0691, 0.9195, 0.0114], [0.0164, 0.0880, 0.8956]])
nits = np.clip(linear @ to_2020.T, 0, None) * 203

if curve == "pq":
    m1, m2, c1, c2, c3 = 2610 / 16384, 2523 / 4096 * 128, 3424 / 4096, 2413 / 4096 * 32, 2392 / 4096 * 32
    y = (nits / 10000) ** m1
    code = ((c1 + c2 * y) / (1 + c3 * y)) ** m2
else:  # HLG: undo the 1000-nit display rendering (system gamma 1.2), then the OETF
    yd = nits @ np.array([0.2627, 0.6780, 0.0593])
    ys = (yd / 1000) ** (1 / 1.2)
    scene = nits / (1000 * np.maximum(ys, 1e-9) ** 0.2)[..., None]
    a, b = 0.17883277, 1 - 4 * 0.17883277
    c = 0.5 - a * np.log(4 * a)
    scene = np.clip(scene, 0, 1)
    code = np.where(scene <= 1 / 12, np.sqrt(3 * scene), a * np.log(np.maximum(12 * scene - b, 1e-12)) + c)
sys.stdout.buffer.write(np.round(np.clip(code, 0, 1) * 65535).astype(">u2").tobytes())
