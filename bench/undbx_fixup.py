# undbx walks the tree by its counts: fills in each node's parent link, the
# count of its 0x08 child's subtree (node 0x14) and each entry's subtree
# count (entry +8), and the file size in the header (0x7C).
#   python3 bench/undbx_fixup.py FILE.dbx
import struct, sys
path = sys.argv[1]
d = bytearray(open(path, 'rb').read())
size = len(d)
seen = set()
def walk(off, parent):
    if off == 0 or off in seen or off + 0x27C > size:
        return 0
    seen.add(off)
    struct.pack_into('<I', d, off + 0x0C, parent)
    left = walk(struct.unpack_from('<I', d, off + 0x08)[0], off)
    struct.pack_into('<I', d, off + 0x14, left)
    total = left
    for k in range(d[off + 0x11]):
        e = off + 0x18 + 12 * k
        sub = walk(struct.unpack_from('<I', d, e + 4)[0], off)
        struct.pack_into('<I', d, e + 8, sub)
        total += 1 + sub
    return total
sys.setrecursionlimit(10000)
walk(struct.unpack_from('<I', d, 0xE4)[0], 0)
struct.pack_into('<I', d, 0x7C, size)
open(path, 'wb').write(d)
