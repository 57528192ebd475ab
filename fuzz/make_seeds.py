#!/usr/bin/env python3
"""Writes the seed corpora of the fuzz targets into OUT/<target>/: small WAV files of every kind
the reader knows and many it must refuse, and settings files of every shape. Generated here, so
no binary is kept in the repository."""
import math
import os
import struct
import sys


def chunk(ident, data, pad=True):
    body = ident + struct.pack("<I", len(data)) + data
    return body + (b"\0" if pad and len(data) % 2 else b"")


def fmt(channels=1, rate=11025, bits=16, tag=1, byte_rate=None, align=None, extra=b""):
    align = channels * bits // 8 if align is None else align
    byte_rate = (rate * align) & 0xFFFFFFFF if byte_rate is None else byte_rate
    return struct.pack("<HHIIHH", tag, channels, rate, byte_rate, align, bits) + extra


def samples(channels, bits, frames, hz=440.0, rate=11025):
    out = bytearray()
    for i in range(frames):
        v = math.sin(2 * math.pi * hz * i / rate) * 0.6 + 0.2 * math.sin(i * 0.37)
        for c in range(channels):
            if bits == 8:
                out.append(max(0, min(255, int(128 + 120 * v * (1 - 0.3 * c)))))
            else:
                out += struct.pack("<h", int(30000 * v * (1 - 0.3 * c)))
    return bytes(out)


def wave(fmt_data, data, riff_size=None, before=b"", after=b"", data_size=None):
    body = b"WAVE" + before + chunk(b"fmt ", fmt_data)
    if data_size is None:
        body += chunk(b"data", data)
    else:
        body += b"data" + struct.pack("<I", data_size) + data
    body += after
    size = len(body) if riff_size is None else riff_size
    return b"RIFF" + struct.pack("<I", size) + body


def wave_seeds():
    seeds = {}
    for channels in (1, 2):
        for bits in (8, 16):
            for rate in (8000, 11025, 12000, 22050, 44100, 48000):
                frames = 600 if rate < 40000 else 300
                name = "pcm-%dch-%dbit-%d" % (channels, bits, rate)
                seeds[name] = wave(fmt(channels, rate, bits),
                                   samples(channels, bits, frames, rate=rate))
    tone = samples(1, 16, 400)
    seeds["rate-768000"] = wave(fmt(1, 768000, 16), tone)
    seeds["rate-too-high"] = wave(fmt(1, 2147484000, 16), tone)
    seeds["rate-44056"] = wave(fmt(2, 44056, 16), samples(2, 16, 300))
    seeds["byte-rate-off-by-one"] = wave(fmt(1, 48000, 16, byte_rate=96001), tone)
    seeds["byte-rate-huge"] = wave(fmt(1, 44100, 16, byte_rate=0xFFFFFFFF), tone)
    seeds["unfinalised-ff"] = wave(fmt(2, 44100, 16), samples(2, 16, 200) + b"\1\2\3",
                                   riff_size=0xFFFFFFFF, data_size=0xFFFFFFFF)
    seeds["unfinalised-zero"] = wave(fmt(1, 22050, 8), samples(1, 8, 500),
                                     riff_size=0, data_size=0)
    seeds["partial-frame"] = wave(fmt(2, 11025, 16), samples(2, 16, 100) + b"\7\7\7")
    seeds["truncated"] = wave(fmt(1, 11025, 16), tone, data_size=100000)
    seeds["empty-data"] = wave(fmt(1, 11025, 16), b"")
    seeds["fact-and-list"] = wave(fmt(1, 11025, 16), tone, before=chunk(b"fact", b"\0" * 4),
                                  after=chunk(b"LIST", b"INFOISFT" + struct.pack("<I", 5) + b"test\0"))
    seeds["fmt-18"] = wave(fmt(1, 11025, 16, extra=b"\0\0"), tone)
    seeds["extensible"] = wave(fmt(2, 48000, 16, tag=0xFFFE, extra=struct.pack("<H", 22) + b"\0" * 22),
                               samples(2, 16, 100))
    seeds["adpcm"] = wave(fmt(1, 22050, 4, tag=2, align=256), b"\x11" * 512)
    seeds["24-bit"] = wave(fmt(2, 44100, 24), b"\0" * 600)
    seeds["data-before-fmt"] = (b"RIFF" + struct.pack("<I", 4 + 8 + 16 + 8 + 100) + b"WAVE" +
                                chunk(b"data", b"\0" * 100) + chunk(b"fmt ", fmt()))
    seeds["odd-chunk"] = wave(fmt(1, 8000, 8), samples(1, 8, 301), before=chunk(b"junk", b"abc"))
    seeds["not-riff"] = b"hello world\n"
    seeds["empty"] = b""
    return seeds


def render_seeds(waves):
    # The render takes its options from the input's last bytes (view first, from the very end).
    seeds = {}
    picks = [
        [0, 0, 2, 5, 2, 0, 0, 1, 0, 0, 0, 0, 0, 9, 0, 0, 0, 0, 0],
        [4, 2, 8, 5, 2, 0, 0, 1, 0, 0, 0, 0, 0, 9, 0, 0, 0, 0, 0],
        [4, 1, 2, 3, 1, 1, 3, 2, 1, 1, 1, 1, 4, 2, 1, 1, 2, 0, 3],
        [2, 3, 0, 10, 0, 0, 6, 3, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0],
        [3, 4, 4, 2, 2, 0, 5, 0, 1, 0, 1, 1, 7, 4, 0, 0, 3, 1, 0],
        [1, 0, 1, 6, 2, 1, 1, 1, 0, 1, 0, 0, 0, 5, 1, 0, 0, 0, 0],
    ]
    names = ["pcm-1ch-16bit-11025", "pcm-2ch-8bit-44100", "pcm-1ch-8bit-12000",
             "byte-rate-off-by-one", "unfinalised-ff", "pcm-2ch-16bit-48000"]
    for i, pick in enumerate(picks):
        for name in names:
            seeds["%s-options-%d" % (name, i)] = waves[name] + bytes(reversed(pick))
    return seeds


def settings_seeds():
    keys = "ColorScale=1\nOnMem=0\nMemSize=64\ndialog3d=0\nfutosa=2\ndisplay=1110\nmado=3\n"
    return {
        "empty": b"",
        "plain": ("[KORIMU]\n" + keys).encode(),
        "crlf-with-others": ("; mine\r\n[Fonts]\r\nface=Unifont\r\n\r\n[KORIMU]\r\n" +
                             keys.replace("\n", "\r\n") + "[Last]\r\nx=1\r\n").encode(),
        "cr-only": ("[KORIMU]\r" + keys.replace("\n", "\r")).encode(),
        "mixed": b"[A]\r\nx=1\n[KORIMU]\rmado=2\r\n; end\r",
        "bom": b"\xef\xbb\xbf[KORIMU]\nmado=4\n",
        "no-final-end": b"[korimu]\nMEMSIZE = 300 \ndisplay=abc",
        "huge-values": b"[KORIMU]\nfutosa=2147483647\nColorScale=-5\nOnMem=99999999999\ndialog3d=7\n",
        "quoted": b"[KORIMU]\nmado=\"5\"\n# comment=1\n;mado=6\n",
        "two-sections": b"[KORIMU]\nmado=1\n[other]\nmado=2\n[KORIMU]\nfutosa=2\n",
        "no-section": b"mado=3\nfutosa=2\n",
    }


def main():
    if len(sys.argv) != 2:
        sys.exit("usage: make_seeds.py OUTPUT_FOLDER")
    out = sys.argv[1]
    waves = wave_seeds()
    corpora = {
        "wave_reader": waves,
        "wave_info": waves,
        "decode": waves,
        "render": render_seeds(waves),
        "csv": render_seeds(waves),
        "settings_file": settings_seeds(),
    }
    for target, seeds in corpora.items():
        folder = os.path.join(out, target)
        os.makedirs(folder, exist_ok=True)
        for name, data in seeds.items():
            with open(os.path.join(folder, "seed-" + name), "wb") as f:
                f.write(data)
    print("seeds written to", out)


if __name__ == "__main__":
    main()
