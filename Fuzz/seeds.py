#!/usr/bin/env python3
"""Writes the seed corpus of the fuzz targets (corpus/<target>/): each seed is
the records a target reads, laid end to end (harness/ByteReader.h).
Run from anywhere; it rewrites only the seeds it names."""
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))


def settings(version=2, rate=48000.0, ctype=2, count=2, identify=0, freq=1000.0, amp=0.25, fmt=0,
             width=64, height=36, par=(40, 33), duration=8475667200, drop=0, space=1, preset=3):
    return (struct.pack('<IfIIB3xffB3xii', version, rate, ctype, count, identify, freq, amp, fmt, width, height)
            + struct.pack('<II', *par) + struct.pack('<qB7xBB6x', duration, drop, space, preset))


def profile(services=0, refused=0, null_slots=0, fail_at=0, frame_mode=0, own=(0, 0), padding=0,
            checks=(0, 0, 0), drop=0, space=0, raw=bytes(16)):
    return (struct.pack('<BBBBBhhB', services, refused, null_slots, fail_at, frame_mode, own[0], own[1], padding)
            + struct.pack('<bbb', *checks) + struct.pack('<iB', drop, space) + raw)


assert len(settings()) == 72 and len(profile()) == 34


def write(target, name, data):
    folder = os.path.join(HERE, 'corpus', target)
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, name), 'wb') as f:
        f.write(data)


# Pictures: selector choice (0 format, 1 colour, 2 picture), settings choice, index, settings, then for
# pictures the size-pair and frame-slot flags, the proposed size and the 16 bytes handed on.
def picture_request(space, width=64, height=36, version=2, index=0, flags=0, pair=(64, 36)):
    s = settings(space=space, width=width, height=height, version=version)
    return (struct.pack('<BBq', 0, 0, index) + s + struct.pack('<BBq', 1, 0, index) + s
            + struct.pack('<BBq', 2, 0, index) + s + struct.pack('<Bii', flags, *pair) + bytes(range(16)))


for space in range(4):
    write('fuzz_picture', f'space{space}', profile() + picture_request(space))
write('fuzz_picture', 'older-record', profile(padding=12) + picture_request(1, version=1, pair=(40, 20)))
write('fuzz_picture', 'own-size-bottom-up', profile(services=16, frame_mode=3, own=(23, 9)) + picture_request(2))
write('fuzz_picture', 'failing-check', profile(checks=(0, -1, 0)) + picture_request(3))
write('fuzz_picture', 'odd-size', profile() + picture_request(0, width=7, height=5, index=1))

# Basic selectors: selector, first parameter, 64 bytes over the two records.
basic = b''.join(struct.pack('<Iq', sel, p1) + bytes(64) for sel, p1 in
                 [(0, 0), (14, 0), (14, 1), (14, 2), (28, 5), (74, 0), (0xFFFFFFFF, 0), (26, 0)])
write('fuzz_basic_selectors', 'startup-types-query', profile() + basic)

# Clip information: file-record flags, file type, stored kind (0 none, 1 current, 2 older), stored size,
# 72 bytes stored, 214 bytes of the clip information record as the host fills it.
def clip_info(width=1280, height=720, par=(1, 1), rate=(30000, 1001), audio=44100.0):
    r = bytearray(214)
    struct.pack_into('<ii', r, 2, width, height)
    struct.pack_into('<II', r, 34, *par)
    struct.pack_into('<ii', r, 162, *rate)
    struct.pack_into('<f', r, 178, audio)
    return bytes(r)


def clip_round(flags, ftype, kind, size, stored, info):
    return struct.pack('<BIBB', flags, ftype, kind, size) + stored + info


write('fuzz_clip_info', 'no-stored', profile() + clip_round(0, 0x42415253, 0, 0, bytes(72), clip_info()))
write('fuzz_clip_info', 'current', profile() + clip_round(0, 0x42415253, 1, 0, settings(count=6), clip_info()))
write('fuzz_clip_info', 'older-then-again', profile() + clip_round(2, 0x48444252, 2, 0, settings(version=1), clip_info())
      + clip_round(2, 0x48444252, 0, 0, bytes(72), clip_info()))
write('fuzz_clip_info', 'older-no-memory', profile(fail_at=1) + clip_round(0, 0x42415253, 2, 43, settings(version=1), clip_info(rate=(0, 1))))

# Sound: flags (1 levels, 2 no buffers), settings choice, settings, position, count, level rate, missing mask.
def sound(flags, s, position, count, rate=100.0, choice=0, missing=0):
    return struct.pack('<BB', flags, choice) + s + struct.pack('<qIfB', position, count, rate, missing)


write('fuzz_sound', 'steady', sound(0, settings(), 48000, 480) + sound(1, settings(), 0, 50, 100.0)
      + sound(1, settings(), 0, 480, 48000.0))
for fmt, channels in ((0, 2), (1, 2), (2, 6), (3, 6)):
    write('fuzz_sound', f'identify{fmt}', sound(0, settings(identify=1, fmt=fmt, count=channels), 0, 4800)
          + sound(1, settings(identify=1, fmt=fmt, count=channels), 0, 134, 10.0))
write('fuzz_sound', 'second-choice-44k', sound(0, settings(rate=44100.0), -5, 300, choice=1) + sound(1, settings(), 7, 0xFFFFFFF0, 0.0))

# Clip files as the command-line host writes them.
def clip_file(name, ftype, record, decoded=''):
    rows = ',\n    '.join('"' + ' '.join(f'{b:02X}' for b in record[i:i + 8]) + '"' for i in range(0, 72, 8))
    return (f'{{\n  "format": "barsandtone clip",\n  "formatVersion": 1,\n  "name": "{name}",\n'
            f'  "fileType": "{ftype}",\n  "settings": [\n    {rows}\n  ]{decoded}\n}}\n').encode()


write('fuzz_clip_file', 'rec709', clip_file('Bars and Tone - Rec 709', 'BARS', settings(width=1920, height=1080)))
write('fuzz_clip_file', 'pq-decoded', clip_file('Bars and Tone - Rec 2100 PQ', 'HDBR', settings(space=3),
                                                ',\n  "decoded": { "version": 2, "frameWidth": 64 }'))
write('fuzz_clip_file', 'older', clip_file('Bars and Tone', 'BARS', settings(version=1, identify=1, fmt=3, count=6)))

# Layout texts: the module's two.
LAYOUTS = os.path.join(HERE, '..', 'Importers', 'ImporterBarsAndTone', 'Resources', 'Layouts')
for name, seed in (('BarsAndToneSettingsWithIdentifiersDialog.lyra', 'current'),
                   ('BarsAndToneSettingsWithIdentifiersDialog.ORIN.lyra', 'older')):
    with open(os.path.join(LAYOUTS, name), 'rb') as f:
        write('fuzz_layout_text', seed, f.read())


# New clips: locale (0 process, 1 NTSC, 2 PAL), script choice (0 the module's, 2 the rest of the input,
# 3 none), flags (1 no buffer, 2 no setup, 4 no name record), the sequence, then the dialog actions
# (kind: 0 item at, 1 type, 2 select, 3 press, 4 choose 44100 Hz, 5 close; control: index of the
# dialog's identifiers, 12 OK, 13 Cancel).
def new_clip(actions, locale=1, script=0, flags=0, sequence=(1, 3840, 2160, 1, 1, 50, 1, 48000.0), space=2,
             rest=b''):
    data = profile(space=space) + struct.pack('<BBB', locale, script, flags)
    data += struct.pack('<IiiIIiif', *sequence)
    data += struct.pack('<B', len(actions)) + b''.join(struct.pack('<BBd', *a) for a in actions)
    return data + rest


write('fuzz_acquire_settings', 'accept-pq', new_clip([(3, 12, 0.0)]))
write('fuzz_acquire_settings', 'preset-then-ok', new_clip([(0, 0, 6.0), (1, 8, 1000.5), (3, 12, 0.0)], locale=2))
write('fuzz_acquire_settings', 'identify-cancel', new_clip([(2, 10, 0.0), (0, 11, 1.0), (1, 1, 1919.7), (3, 13, 0.0)]))
write('fuzz_acquire_settings', 'size-query', new_clip([], flags=1))
write('fuzz_acquire_settings', 'close-window', new_clip([(4, 6, 0.0), (5, 0, 0.0)], sequence=(1, 720, 480, 10, 11, 30000, 1001, 44100.0)))
with open(os.path.join(LAYOUTS, 'BarsAndToneSettingsWithIdentifiersDialog.ORIN.lyra'), 'rb') as f:
    write('fuzz_acquire_settings', 'own-layout-text', new_clip([(3, 12, 0.0)], script=2, rest=f.read()))
