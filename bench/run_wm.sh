#!/usr/bin/env bash
# Lists a generated Windows Mail folder of 10 000 messages (plain, quoted-
# printable, HTML and multipart, about 4 KB each, with reply chains) with
# `pelicard-extract liste`, and reads the same files with `cat` for
# comparison. The folder is made under /tmp and removed at the end.
#   bench/run_wm.sh [path/to/pelicard-extract] [message count]
set -euo pipefail
cd "$(dirname "$0")/.."
tool=${1:-build/pelicard-extract}
count=${2:-10000}
[ -x "$tool" ] || { echo "pelicard-extract introuvable : $tool (construisez-le d'abord)" >&2; exit 2; }

dir=$(mktemp -d /tmp/pelicard-bench-wm.XXXXXX)
times=$(mktemp -d /tmp/pelicard-bench-wm-times.XXXXXX)
trap 'rm -rf "$dir" "$times"' EXIT

python3 - "$dir" "$count" <<'PY'
import os, random, sys
folder, count = sys.argv[1], int(sys.argv[2])
rnd = random.Random(4)
words = ("r\xe9union comit\xe9 dossier \xe9l\xe8ves chorale f\xeate r\xe9fectoire d\xe9cembre "
         "attestation compte rendu bient\xf4t travaux mardi vendredi d\xe9cision s\xe9ance "
         "merci remarques r\xe9sultats vote affich\xe9s hall entr\xe9e demain").split()
subjects = ["R\xe9union de lundi", "Relev\xe9 de compte", "Vacances d'\xe9t\xe9",
            "Probl\xe8me d'impression", "Programme du s\xe9minaire", "Facture", "Inscription"]

def text(n):
    out, line = [], []
    while sum(len(w) + 1 for w in out) < n:
        w = rnd.choice(words)
        out.append(w)
    lines, cur = [], ""
    for w in out:
        if len(cur) + len(w) > 70:
            lines.append(cur); cur = ""
        cur += w + " "
    lines.append(cur)
    return "\r\n".join(lines)

def qp(s):
    return "".join("=%02X" % ord(c) if ord(c) > 127 or c == "=" else c for c in s)

ids = []
for i in range(count):
    size = rnd.randint(1500, 6500)
    kind = i % 4
    mid = "<bench-%06d@example.org>" % i
    refs = ""
    subject = rnd.choice(subjects) + " %d" % (i % 700)
    if ids and rnd.random() < 0.6:
        parent = rnd.randrange(max(0, len(ids) - 50), len(ids))
        refs = " ".join(ids[parent][1][-8:] + [ids[parent][0]])
        subject = "Re: " + ids[parent][2]
    chain = (refs.split() if refs else [])
    ids.append((mid, chain, subject.replace("Re: ", "")))
    head = ["From: =?iso-8859-1?Q?B=E9n=E9dicte_Ch=E2telain?= <b%d@example.org>" % (i % 97),
            "Subject: " + subject,
            "Date: %s, %02d %s 20%02d %02d:%02d:%02d +0%d00" % (
                rnd.choice(["Mon", "Tue", "Wed", "Thu", "Fri"]), rnd.randint(1, 28),
                rnd.choice(["Jan", "Mar", "Jun", "Jul", "Oct", "Dec"]), rnd.randint(3, 9),
                rnd.randint(0, 23), rnd.randint(0, 59), rnd.randint(0, 59), rnd.randint(0, 2)),
            "Message-ID: " + mid]
    if refs:
        head.append("References: " + refs)
    body_text = text(size)
    if kind == 0:
        head.append('Content-Type: text/plain; charset="iso-8859-1"')
        head.append("Content-Transfer-Encoding: 8bit")
        body = body_text
    elif kind == 1:
        head.append('Content-Type: text/plain; charset="iso-8859-1"')
        head.append("Content-Transfer-Encoding: quoted-printable")
        body = qp(body_text) + "\r\nVoir http://example.org/?a=3Db"
    elif kind == 2:
        head.append('Content-Type: text/html; charset="iso-8859-1"')
        body = ("<html><head><style>p {color: red}</style></head><body>"
                + "".join("<p>%s</p><br>" % l for l in body_text.split("\r\n")) + "</body></html>")
    else:
        head.append('Content-Type: multipart/alternative;\r\n\tboundary="----=_NextPart_%06d"' % i)
        b = "----=_NextPart_%06d" % i
        half = body_text[: len(body_text) // 2]
        body = ("This is a multi-part message in MIME format.\r\n\r\n--%s\r\n"
                "Content-Type: text/plain; charset=\"iso-8859-1\"\r\n"
                "Content-Transfer-Encoding: quoted-printable\r\n\r\n%s\r\n\r\n--%s\r\n"
                "Content-Type: text/html; charset=\"iso-8859-1\"\r\n\r\n<p>%s</p>\r\n\r\n--%s--\r\n"
                % (b, qp(half), b, half, b))
    data = "\r\n".join(head) + "\r\n\r\n" + body + "\r\n"
    ext = "nws" if i % 50 == 0 else "eml"
    with open(os.path.join(folder, "msg_%06d.%s" % (i, ext)), "wb") as f:
        f.write(data.encode("cp1252"))
PY

bytes=$(du -sb "$dir" | cut -f1)
echo "Dossier : $count messages, $((bytes / count)) octets en moyenne"

# Three alternating rounds of cat and liste, wall-clock and processor times;
# the median of each counts. On a busy machine the processor times are the
# steadier figure.
walls() { /usr/bin/time -f "%e %U %S" "$@" 2>&1 >/dev/null | tail -n 1; }
for k in 1 2 3; do
  # (find … +: a folder of 100 000 names is too long for one command line)
  echo "$(walls sh -c 'find "$1" -type f -exec cat {} + >/dev/null' sh "$dir")" >> "$times/cat"
  echo "$(TZ=Europe/Paris walls "$tool" liste "$dir")" >> "$times/liste"
done
TZ=Europe/Paris "$tool" liste "$dir" > /dev/null 2> "$times/err"
for n in cat liste; do
  awk '{printf "[%s %.2f] ", $1, $2 + $3}' "$times/$n" > "$times/$n.rounds"
  sort -g "$times/$n" | sed -n 2p > "$times/$n.mid"
done
echo "cat de tous les fichiers, manches (mur processeur) : $(cat "$times/cat.rounds")"
echo "pelicard-extract liste, manches (mur processeur)   : $(cat "$times/liste.rounds")"
echo "  ($(tail -n 1 "$times/err"))"
awk -v c="$(cat "$times/cat.mid")" -v l="$(cat "$times/liste.mid")" 'BEGIN {
  split(c, a, " "); split(l, b, " ")
  printf "médianes : cat %.3f s, liste %.3f s ; liste/cat %.2f (cible au plus 0.8)\n", a[1], b[1], b[1] / a[1] }'

# The complete decoding (--decodage-complet) against the fixed reading, in
# the same run: three alternating runs of each, medians of processor time.
cpu() { /usr/bin/time -f "%U %S" "$@" 2>&1 >/dev/null | tail -n 1 | awk '{print $1 + $2}'; }
off=() on=()
for k in 1 2 3; do
  off+=("$(TZ=Europe/Paris cpu "$tool" liste "$dir")")
  on+=("$(TZ=Europe/Paris cpu "$tool" liste "$dir" --decodage-complet)")
done
median() { printf '%s\n' "$@" | sort -g | sed -n 2p; }
mo=$(median "${off[@]}") mn=$(median "${on[@]}")
echo "liste, processeur (médiane de 3) : lecture fixe $mo s, décodage complet $mn s, rapport $(awk -v a="$mn" -v b="$mo" 'BEGIN{printf "%.2f", a / b}')"
