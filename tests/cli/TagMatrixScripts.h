// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Python scripts (mutagen) that tag the sources of the tag copy matrix and
// read every kind back under one set of canonical names, independently of
// TagLib and of the tag layer.

namespace tagmatrix {

// argv: file, kind (mp3v23, mp3v24, flac, ogg, opus, m4a, wma, ape, mpc,
// wv), front cover. Writes the same values the way taggers store them in
// that kind: several artists and genres, a full date, track and disc with
// totals, MusicBrainz ids under their mixed-case names, a comment, a cover.
inline const char* const TagScript = R"PY(
import sys, base64
import mutagen.id3 as id3
from mutagen.flac import FLAC, Picture
from mutagen.oggvorbis import OggVorbis
from mutagen.oggopus import OggOpus
from mutagen.mp4 import MP4, MP4Cover, MP4FreeForm
from mutagen.asf import ASF, ASFByteArrayAttribute
from mutagen.apev2 import APEv2, APEValue, BINARY
import struct
path, kind, cover = sys.argv[1], sys.argv[2], open(sys.argv[3], 'rb').read()
ARTISTS, GENRES = ['First Artist', 'Zweite Künstlerin'], ['Rock', 'Jazz']
V = {'TITLE': 'Ünïcode Title ✓', 'ALBUM': 'The Album', 'ALBUMARTIST': 'Album Artist', 'DATE': '2021-05-03',
     'COMMENT': 'A comment'}
MB = [('MUSICBRAINZ_ALBUMID', 'Album Id', 'c5b4f1d2-0000-4000-8000-000000000002'),
      ('MUSICBRAINZ_ARTISTID', 'Artist Id', 'c5b4f1d2-0000-4000-8000-000000000003'),
      ('MUSICBRAINZ_RELEASEGROUPID', 'Release Group Id', 'c5b4f1d2-0000-4000-8000-000000000004')]
if kind in ('mp3v23', 'mp3v24'):
    t = id3.ID3()
    t.add(id3.TIT2(encoding=3, text=V['TITLE'])); t.add(id3.TPE1(encoding=3, text=ARTISTS))
    t.add(id3.TALB(encoding=3, text=V['ALBUM'])); t.add(id3.TPE2(encoding=3, text=V['ALBUMARTIST']))
    t.add(id3.TDRC(encoding=3, text=V['DATE'])); t.add(id3.TCON(encoding=3, text=GENRES))
    t.add(id3.TRCK(encoding=3, text='3/12')); t.add(id3.TPOS(encoding=3, text='1/2'))
    t.add(id3.COMM(encoding=3, lang='eng', desc='', text=V['COMMENT']))
    for _, name, value in MB: t.add(id3.TXXX(encoding=3, desc='MusicBrainz ' + name, text=value))
    t.add(id3.APIC(encoding=3, type=3, mime='image/jpeg', desc='', data=cover))
    if kind == 'mp3v23':
        t.update_to_v23(); t.save(path, v2_version=3, v23_sep=None)
    else:
        t.save(path, v2_version=4)
elif kind in ('flac', 'ogg', 'opus'):
    f = {'flac': FLAC, 'ogg': OggVorbis, 'opus': OggOpus}[kind](path)
    for k, v in V.items(): f[k] = v
    f['ARTIST'], f['GENRE'] = ARTISTS, GENRES
    f['TRACKNUMBER'], f['TRACKTOTAL'], f['DISCNUMBER'], f['DISCTOTAL'] = '3', '12', '1', '2'
    for key, _, value in MB: f[key] = value
    pic = Picture(); pic.type, pic.mime, pic.data = 3, 'image/jpeg', cover
    if kind == 'flac': f.add_picture(pic)
    else: f['METADATA_BLOCK_PICTURE'] = [base64.b64encode(pic.write()).decode()]
    f.save()
elif kind in ('m4a', 'mp4'):
    f = MP4(path)
    f['\xa9nam'], f['\xa9ART'], f['\xa9alb'], f['aART'] = V['TITLE'], ARTISTS, V['ALBUM'], V['ALBUMARTIST']
    f['\xa9day'], f['\xa9gen'], f['\xa9cmt'] = V['DATE'], GENRES, V['COMMENT']
    f['trkn'], f['disk'] = [(3, 12)], [(1, 2)]
    for _, name, value in MB: f['----:com.apple.iTunes:MusicBrainz ' + name] = [MP4FreeForm(value.encode())]
    f['covr'] = [MP4Cover(cover, MP4Cover.FORMAT_JPEG)]
    f.save()
elif kind == 'wma':
    f = ASF(path)
    f['Title'], f['Author'], f['WM/AlbumTitle'], f['WM/AlbumArtist'] = V['TITLE'], ARTISTS, V['ALBUM'], V['ALBUMARTIST']
    f['WM/Year'], f['WM/Genre'], f['Description'] = V['DATE'], GENRES, V['COMMENT']
    f['WM/TrackNumber'], f['TotalTracks'], f['WM/PartOfSet'], f['TotalDiscs'] = '3', '12', '1', '2'
    for _, name, value in MB: f['MusicBrainz/' + name] = value
    blob = struct.pack('<bi', 3, len(cover)) + 'image/jpeg\0\0'.encode('utf-16-le') + cover
    f['WM/Picture'] = [ASFByteArrayAttribute(blob)]
    f.save()
else:  # APEv2: ape, mpc, wv
    t = APEv2()
    t['Title'], t['Artist'], t['Album'], t['Album Artist'] = V['TITLE'], ARTISTS, V['ALBUM'], V['ALBUMARTIST']
    t['Year'], t['Genre'], t['Comment'], t['Track'], t['Disc'] = V['DATE'], GENRES, V['COMMENT'], '3/12', '1/2'
    for key, _, value in MB: t[key] = value
    t['Cover Art (Front)'] = APEValue(b'cover.jpg\0' + cover, BINARY)
    t.save(path)
)PY";

// argv: file. Prints its tags as "NAME=value" lines, one a value, names
// sorted, values in stored order; a front cover as
// "picture (Front cover)=<md5>". Names the table does not know keep their
// own, prefixed by where they were found, so strays show up too.
inline const char* const DumpScript = R"PY(
import sys, base64, hashlib, struct
import mutagen, mutagen.id3 as id3
from mutagen.flac import Picture
from mutagen.apev2 import APEv2, APENoHeaderError
from mutagen.wave import WAVE
path = sys.argv[1]
kind = path.rsplit('.', 1)[1].lower()
out = {}
def put(name, values):
    for v in values if isinstance(values, list) else [values]:
        v = str(v)
        if v != '': out.setdefault(name, []).append(v)
def number(name, total, text):
    n, _, t = str(text).partition('/')
    put(name, n); put(total, t)
def picture(data): put('picture (Front cover)', hashlib.md5(data).hexdigest())
# MusicBrainz ids under the names mutagen-based tools look up, case and all.
MB = {'MusicBrainz Album Id': 'MUSICBRAINZ_ALBUMID', 'MusicBrainz Artist Id': 'MUSICBRAINZ_ARTISTID',
      'MusicBrainz Release Group Id': 'MUSICBRAINZ_RELEASEGROUPID'}
def from_id3(t):
    for fid, name in [('TIT2', 'TITLE'), ('TPE1', 'ARTIST'), ('TALB', 'ALBUM'), ('TPE2', 'ALBUMARTIST'),
                      ('TCON', 'GENRE')]:
        for fr in t.getall(fid): put(name, fr.genres if fid == 'TCON' else fr.text)
    for fr in t.getall('TDRC'): put('DATE', [x.text for x in fr.text])
    for fr in t.getall('TRCK'): number('TRACKNUMBER', 'TRACKTOTAL', fr.text[0])
    for fr in t.getall('TPOS'): number('DISCNUMBER', 'DISCTOTAL', fr.text[0])
    for fr in t.getall('COMM'):
        if fr.desc == '': put('COMMENT', fr.text)
    for fr in t.getall('TXXX'):
        put(MB.get(fr.desc, 'TXXX:' + fr.desc), fr.text)
    for fr in t.getall('APIC'):
        if fr.type == 3: picture(fr.data)
    known = ('TIT2', 'TPE1', 'TALB', 'TPE2', 'TCON', 'TDRC', 'TRCK', 'TPOS', 'COMM', 'TXXX', 'APIC', 'TSSE')
    for fr in t.values():
        if fr.FrameID not in known: put('ID3:' + fr.FrameID, str(fr))
if kind in ('mp3', 'aac'):
    try: from_id3(id3.ID3(path))
    except id3.ID3NoHeaderError: pass
elif kind == 'wav':
    if WAVE(path).tags: from_id3(WAVE(path).tags)
elif kind in ('flac', 'ogg', 'opus'):
    f = mutagen.File(path)
    for k, v in f.tags.items():
        k = k.upper()
        if k == 'METADATA_BLOCK_PICTURE':
            for x in v:
                p = Picture(base64.b64decode(x))
                if p.type == 3: picture(p.data)
        elif k in ('TOTALTRACKS', 'TOTALDISCS'): put({'TOTALTRACKS': 'TRACKTOTAL', 'TOTALDISCS': 'DISCTOTAL'}[k], v)
        elif k not in ('ENCODER', 'ENCODER_OPTIONS'): put(k, v)
    for p in getattr(f, 'pictures', []):
        if p.type == 3: picture(p.data)
elif kind in ('m4a', 'mp4'):
    t = mutagen.File(path).tags or {}
    for atom, name in [('\xa9nam', 'TITLE'), ('\xa9ART', 'ARTIST'), ('\xa9alb', 'ALBUM'), ('aART', 'ALBUMARTIST'),
                       ('\xa9day', 'DATE'), ('\xa9gen', 'GENRE'), ('\xa9cmt', 'COMMENT')]:
        if atom in t: put(name, t[atom])
    for atom, name, total in [('trkn', 'TRACKNUMBER', 'TRACKTOTAL'), ('disk', 'DISCNUMBER', 'DISCTOTAL')]:
        if atom in t:
            n, tot = t[atom][0]
            put(name, n or ''); put(total, tot or '')
    for k, v in t.items():
        if k.startswith('----:com.apple.iTunes:'):
            d = k.split(':', 2)[2]
            if d.lower() != 'itunsmpb': put(MB.get(d, 'FREEFORM:' + d), [bytes(x).decode() for x in v])
    for c in t.get('covr', []): picture(bytes(c))
elif kind == 'wma':
    t = mutagen.File(path).tags
    names = {'title': 'TITLE', 'author': 'ARTIST', 'wm/albumtitle': 'ALBUM', 'wm/albumartist': 'ALBUMARTIST',
             'wm/year': 'DATE', 'wm/genre': 'GENRE', 'description': 'COMMENT', 'wm/tracknumber': 'TRACKNUMBER',
             'totaltracks': 'TRACKTOTAL', 'tracktotal': 'TRACKTOTAL', 'totaldiscs': 'DISCTOTAL', 'disctotal': 'DISCTOTAL'}
    for k in t.keys():
        low = k.lower()
        if k.startswith('MusicBrainz/') and k.replace('/', ' ') in MB: put(MB[k.replace('/', ' ')], [str(x) for x in t[k]])
        elif low == 'wm/partofset':
            for x in t[k]: number('DISCNUMBER', 'DISCTOTAL', x)
        elif low == 'wm/picture':
            for x in t[k]:
                b = x.value; typ, size = struct.unpack('<bi', b[:5]); pos = 5
                for _ in range(2):
                    while b[pos:pos + 2] != b'\0\0': pos += 2
                    pos += 2
                if typ == 3: picture(b[pos:pos + size])
        elif low in names: put(names[low], [str(x) for x in t[k]])
        elif not low.startswith('wm/') and low not in ('isvbr',): put('ASF:' + k, [str(x) for x in t[k]])
else:
    try: t = APEv2(path)
    except APENoHeaderError: t = {}
    names = {'title': 'TITLE', 'artist': 'ARTIST', 'album': 'ALBUM', 'album artist': 'ALBUMARTIST',
             'year': 'DATE', 'genre': 'GENRE', 'comment': 'COMMENT'}
    for k in t.keys():
        low = k.lower()
        if low == 'track': number('TRACKNUMBER', 'TRACKTOTAL', t[k])
        elif low == 'disc': number('DISCNUMBER', 'DISCTOTAL', t[k])
        elif low == 'cover art (front)': picture(t[k].value.split(b'\0', 1)[1])
        elif low in names: put(names[low], list(t[k]))
        else: put(k.upper(), list(t[k]))
for name in sorted(out):
    for v in out[name]: print(name + '=' + v)
)PY";

}  // namespace tagmatrix
