// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Python scripts (mutagen) that tag the inputs of the tag copy tests and
// read their outputs, independently of TagLib and of the tag layer.

namespace tagcopytest {

// argv: file, front cover, back cover (either may be "-" for none), and
// "twofront" to add a second front cover. Writes every value of the test set
// in the way common taggers write it for the file's kind.
inline const char* const TagScript = R"PY(
import sys, base64
import mutagen, mutagen.id3 as id3
from mutagen.flac import FLAC, Picture
from mutagen.mp4 import MP4, MP4Cover, MP4FreeForm
from mutagen.oggvorbis import OggVorbis
path, front, back = sys.argv[1], sys.argv[2], sys.argv[3]
two = len(sys.argv) > 4 and sys.argv[4] == 'twofront'
V = {'title': 'A Song', 'artist': 'The Artist', 'albumartist': 'Die Älbum Artistin ✓',
     'lyrics': 'First line\nSecond line', 'bpm': '120',
     'replaygain_track_gain': '-6.50 dB', 'replaygain_track_peak': '0.988770',
     'replaygain_album_gain': '-7.25 dB', 'replaygain_album_peak': '0.999969',
     'musicbrainz_trackid': 'c5b4f1d2-0000-4000-8000-000000000001',
     'musicbrainz_albumid': 'c5b4f1d2-0000-4000-8000-000000000002',
     'musicbrainz_artistid': 'c5b4f1d2-0000-4000-8000-000000000003',
     'artistsort': 'Artist, The', 'albumsort': 'Album, An', 'titlesort': 'Song, A',
     'albumartistsort': 'Album Artist, The'}
pics = []
if front != '-':
    pics.append((3, 'image/png', 'Front ✓', open(front, 'rb').read()))
    if two:
        pics.append((3, 'image/png', 'Second front', open(front, 'rb').read()[::-1]))
if back != '-':
    pics.append((4, 'image/jpeg', 'Back', open(back, 'rb').read()))
def flacpic(p):
    pic = Picture(); pic.type, pic.mime, pic.desc, pic.data = p; return pic
if path.endswith('.flac') or path.endswith('.ogg'):
    f = FLAC(path) if path.endswith('.flac') else OggVorbis(path)
    for k, v in V.items(): f[k] = v
    f['tracknumber'], f['tracktotal'], f['discnumber'], f['disctotal'] = '3', '12', '1', '2'
    if path.endswith('.flac'):
        for p in pics: f.add_picture(flacpic(p))
    else:
        f['metadata_block_picture'] = [base64.b64encode(flacpic(p).write()).decode() for p in pics]
    f.save()
elif path.endswith('.mp3'):
    t = id3.ID3()
    t.add(id3.TIT2(encoding=3, text=V['title'])); t.add(id3.TPE1(encoding=3, text=V['artist']))
    t.add(id3.TPE2(encoding=3, text=V['albumartist'])); t.add(id3.TRCK(encoding=3, text='3/12'))
    t.add(id3.TPOS(encoding=3, text='1/2')); t.add(id3.TBPM(encoding=3, text=V['bpm']))
    t.add(id3.USLT(encoding=3, lang='eng', desc='', text=V['lyrics']))
    for k in ['replaygain_track_gain', 'replaygain_track_peak', 'replaygain_album_gain', 'replaygain_album_peak']:
        t.add(id3.TXXX(encoding=3, desc=k, text=V[k]))
    t.add(id3.UFID(owner='http://musicbrainz.org', data=V['musicbrainz_trackid'].encode()))
    t.add(id3.TXXX(encoding=3, desc='MusicBrainz Album Id', text=V['musicbrainz_albumid']))
    t.add(id3.TXXX(encoding=3, desc='MusicBrainz Artist Id', text=V['musicbrainz_artistid']))
    for frame, k in [(id3.TSOP, 'artistsort'), (id3.TSOA, 'albumsort'), (id3.TSOT, 'titlesort'), (id3.TSO2, 'albumartistsort')]:
        t.add(frame(encoding=3, text=V[k]))
    for p in pics: t.add(id3.APIC(encoding=3, type=p[0], mime=p[1], desc=p[2], data=p[3]))
    t.save(path, v2_version=3)
else:
    f = MP4(path)
    f['\xa9nam'], f['\xa9ART'], f['aART'] = V['title'], V['artist'], V['albumartist']
    f['trkn'], f['disk'], f['tmpo'], f['\xa9lyr'] = [(3, 12)], [(1, 2)], [120], V['lyrics']
    for k in ['replaygain_track_gain', 'replaygain_track_peak', 'replaygain_album_gain', 'replaygain_album_peak']:
        f['----:com.apple.iTunes:' + k] = [MP4FreeForm(V[k].encode())]
    for k, name in [('musicbrainz_trackid', 'Track'), ('musicbrainz_albumid', 'Album'), ('musicbrainz_artistid', 'Artist')]:
        f['----:com.apple.iTunes:MusicBrainz %s Id' % name] = [MP4FreeForm(V[k].encode())]
    f['soar'], f['soal'], f['sonm'], f['soaa'] = V['artistsort'], V['albumsort'], V['titlesort'], V['albumartistsort']
    f['covr'] = [MP4Cover(p[3], MP4Cover.FORMAT_PNG if p[1] == 'image/png' else MP4Cover.FORMAT_JPEG) for p in pics if p[0] == 3]
    f.save()
)PY";

// argv: file. Prints the test set's values as "key=value" lines (WAV from its "id3 " chunk) (several
// values joined by " ; ", new lines as "\n") and each picture, in file order,
// as "picture=type|mime|description|md5". For MP4 and WMA, gain_name is the
// name of the item that holds the track gain.
inline const char* const DumpScript = R"PY(
import sys, base64, hashlib, struct
import mutagen, mutagen.id3 as id3, mutagen.apev2 as apev2
from mutagen.flac import FLAC, Picture
from mutagen.oggvorbis import OggVorbis
from mutagen.oggopus import OggOpus
from mutagen.mp4 import MP4
from mutagen.asf import ASF
from mutagen.wave import WAVE
path = sys.argv[1]
out, pics = {}, []
def put(k, v):
    v = [str(x) for x in (v if isinstance(v, list) else [v])]
    if v: out[k] = ' ; '.join(v)
def split(k, v, total):
    n, _, t = str(v).partition('/')
    put(k, n)
    if t: put(total, t)
def md5(b): return hashlib.md5(b).hexdigest()
def sniff(b): return 'image/png' if b[:4] == b'\x89PNG' else 'image/jpeg' if b[:2] == b'\xff\xd8' else '?'
def name_of(d, name):
    for k in d.keys():
        if k.lower() == name.lower(): return k
    return None
def ci(d, name):
    k = name_of(d, name)
    return d[k] if k is not None else None
keys = ['title', 'artist', 'albumartist', 'lyrics', 'bpm', 'replaygain_track_gain', 'replaygain_track_peak',
        'replaygain_album_gain', 'replaygain_album_peak', 'musicbrainz_trackid', 'musicbrainz_albumid',
        'musicbrainz_artistid', 'artistsort', 'albumsort', 'titlesort', 'albumartistsort']
if path.endswith('.mp3') or path.endswith('.wav'):
    t = WAVE(path).tags if path.endswith('.wav') else id3.ID3(path)
    out['id3version'] = '2.%d' % t.version[1]
    for k, fid in [('title', 'TIT2'), ('artist', 'TPE1'), ('albumartist', 'TPE2'), ('bpm', 'TBPM'),
                   ('artistsort', 'TSOP'), ('albumsort', 'TSOA'), ('titlesort', 'TSOT'), ('albumartistsort', 'TSO2')]:
        frames = t.getall(fid)
        if frames: put(k, [x for fr in frames for x in fr.text])
    if t.getall('TRCK'): split('tracknumber', t.getall('TRCK')[0].text[0], 'tracktotal')
    if t.getall('TPOS'): split('discnumber', t.getall('TPOS')[0].text[0], 'disctotal')
    if t.getall('USLT'): put('lyrics', t.getall('USLT')[0].text)
    txxx = {fr.desc.lower(): fr.text for fr in t.getall('TXXX')}
    for k in keys[5:9]:
        if k in txxx: put(k, txxx[k])
    for k, name in [('musicbrainz_albumid', 'musicbrainz album id'), ('musicbrainz_artistid', 'musicbrainz artist id')]:
        if name in txxx: put(k, txxx[name])
    ufid = t.get('UFID:http://musicbrainz.org')
    if ufid: put('musicbrainz_trackid', ufid.data.decode())
    pics = [(p.type, p.mime, p.desc, md5(p.data)) for p in t.getall('APIC')]
elif path.endswith('.flac') or path.endswith('.ogg') or path.endswith('.opus'):
    f = FLAC(path) if path.endswith('.flac') else OggOpus(path) if path.endswith('.opus') else OggVorbis(path)
    for k in keys + ['tracknumber', 'tracktotal', 'discnumber', 'disctotal']:
        if k in f: put(k, f[k])
    blocks = f.pictures if path.endswith('.flac') else [Picture(base64.b64decode(b)) for b in f.get('metadata_block_picture', [])]
    pics = [(p.type, p.mime, p.desc, md5(p.data)) for p in blocks]
elif path.endswith('.m4a') or path.endswith('.mp4'):
    f = MP4(path)
    for k, atom in [('title', '\xa9nam'), ('artist', '\xa9ART'), ('albumartist', 'aART'), ('lyrics', '\xa9lyr'),
                    ('artistsort', 'soar'), ('albumsort', 'soal'), ('titlesort', 'sonm'), ('albumartistsort', 'soaa')]:
        if atom in f: put(k, f[atom])
    if 'tmpo' in f: put('bpm', f['tmpo'])
    if 'trkn' in f: put('tracknumber', f['trkn'][0][0]); put('tracktotal', f['trkn'][0][1])
    if 'disk' in f: put('discnumber', f['disk'][0][0]); put('disctotal', f['disk'][0][1])
    for k, name in [(k, k) for k in keys[5:9]] + [('musicbrainz_trackid', 'MusicBrainz Track Id'),
            ('musicbrainz_albumid', 'MusicBrainz Album Id'), ('musicbrainz_artistid', 'MusicBrainz Artist Id')]:
        v = ci(f, '----:com.apple.iTunes:' + name)
        if v: put(k, [bytes(x).decode() for x in v])
    pics = [(3, sniff(bytes(c)), '', md5(bytes(c))) for c in f.get('covr', [])]
    out['gain_name'] = str(name_of(f, '----:com.apple.iTunes:replaygain_track_gain'))
elif path.endswith('.wma'):
    f = ASF(path)
    for k, name in [('title', 'Title'), ('artist', 'Author'), ('albumartist', 'WM/AlbumArtist'), ('lyrics', 'WM/Lyrics'),
                    ('bpm', 'WM/BeatsPerMinute'), ('tracknumber', 'WM/TrackNumber'), ('tracktotal', 'TRACKTOTAL'),
                    ('musicbrainz_trackid', 'MusicBrainz/Track Id'), ('musicbrainz_albumid', 'MusicBrainz/Album Id'),
                    ('musicbrainz_artistid', 'MusicBrainz/Artist Id'), ('artistsort', 'WM/ArtistSortOrder'),
                    ('albumsort', 'WM/AlbumSortOrder'), ('titlesort', 'WM/TitleSortOrder'),
                    ('albumartistsort', 'WM/AlbumArtistSortOrder')] + [(k, k) for k in keys[5:9]]:
        v = ci(f, name)
        if v: put(k, [x.value for x in v])
    out['gain_name'] = str(name_of(f, 'replaygain_track_gain'))
    if 'WM/PartOfSet' in f: split('discnumber', f['WM/PartOfSet'][0].value, 'disctotal')
    for a in f.get('WM/Picture', []):
        b = a.value
        kind, size = b[0], struct.unpack('<I', b[1:5])[0]
        rest = b[5:]
        ends = [i for i in range(0, len(rest) - 1, 2) if rest[i:i + 2] == b'\0\0']
        mime = rest[:ends[0]].decode('utf-16-le'); rest = rest[ends[0] + 2:]
        ends = [i for i in range(0, len(rest) - 1, 2) if rest[i:i + 2] == b'\0\0']
        desc = rest[:ends[0]].decode('utf-16-le'); data = rest[ends[0] + 2:]
        pics.append((kind, mime, desc, md5(data) if len(data) == size else 'bad size'))
elif path.endswith('.ape') or path.endswith('.mpc') or path.endswith('.wv'):
    f = apev2.APEv2(path)
    for k, name in [('title', 'Title'), ('artist', 'Artist'), ('albumartist', 'Album Artist'), ('lyrics', 'Lyrics'),
                    ('bpm', 'BPM')] + [(k, k) for k in keys[5:]]:
        v = ci(f, name)
        if v is not None: put(k, list(v))
    if ci(f, 'Track') is not None: split('tracknumber', str(ci(f, 'Track')), 'tracktotal')
    if ci(f, 'Disc') is not None: split('discnumber', str(ci(f, 'Disc')), 'disctotal')
    names = ['Other', 'Png Icon', 'Icon', 'Front', 'Back']
    for kind, name in enumerate(names):
        v = ci(f, 'Cover Art (%s)' % name)
        if v is not None:
            desc, _, data = v.value.partition(b'\0')
            pics.append((kind, sniff(data), desc.decode(), md5(data)))
for k in sorted(out):
    sys.stdout.write(k + '=' + out[k].replace('\n', '\\n') + '\n')
for p in pics:
    sys.stdout.write('picture=%d|%s|%s|%s\n' % p)
)PY";

// argv: file. Tags an MP3 with ID3v2.4 values that a 2.3 tag or upper-case
// names would spoil: full times, mood, release time, TXXX and COMM names in
// mixed case, a comment's language.
inline const char* const Id3v24Script = R"PY(
import sys, mutagen.id3 as id3
t = id3.ID3()
t.add(id3.TIT2(encoding=3, text='A Song'))
t.add(id3.TDRC(encoding=3, text='2021-05-03T10:20:30'))
t.add(id3.TDOR(encoding=3, text='1999-02-01'))
t.add(id3.TDRL(encoding=3, text='2021-06-01'))
t.add(id3.TMOO(encoding=3, text='Calm'))
t.add(id3.TXXX(encoding=3, desc='MusicBrainz Album Id', text='c5b4f1d2-0000-4000-8000-000000000002'))
t.add(id3.TXXX(encoding=3, desc='My Custom', text='custom value'))
t.add(id3.COMM(encoding=3, lang='deu', desc='Notiz', text='Hallo'))
t.add(id3.COMM(encoding=3, lang='eng', desc='', text='Plain'))
t.save(sys.argv[1], v2_version=4)
)PY";

// argv: file. Prints its values as "name=value" lines with the names as
// stored: "id3:" frames (times in ISO form, TXXX and COMM with their
// descriptions and languages), "vc:" Vorbis comments, "mp4:" atoms.
inline const char* const StoredNamesScript = R"PY(
import sys, mutagen, mutagen.id3 as id3
from mutagen.wave import WAVE
p = sys.argv[1]
out = []
if p.endswith('.mp3') or p.endswith('.wav'):
    t = WAVE(p).tags if p.endswith('.wav') else id3.ID3(p)
    out.append('id3version=2.%d' % t.version[1])
    for f in t.values():
        if f.FrameID in ('TDRC', 'TDOR', 'TDRL'):
            out.append('id3:%s=%s' % (f.FrameID, str(f.text[0]).replace(' ', 'T')))
        elif f.FrameID == 'TXXX': out.append('id3:TXXX:%s=%s' % (f.desc, f.text[0]))
        elif f.FrameID == 'COMM': out.append('id3:COMM:%s:%s=%s' % (f.desc, f.lang, f.text[0]))
        elif f.FrameID.startswith('T'): out.append('id3:%s=%s' % (f.FrameID, f.text[0]))
elif p.endswith('.m4a'):
    f = mutagen.File(p)
    for k, v in f.tags.items():
        out.append('mp4:%s=%s' % (k, bytes(v[0]).decode() if k.startswith('----') else v[0]))
else:
    f = mutagen.File(p)
    out += ['vc:%s=%s' % kv for kv in f.tags]
sys.stdout.write(''.join(line + '\n' for line in sorted(out)))
)PY";

}  // namespace tagcopytest
