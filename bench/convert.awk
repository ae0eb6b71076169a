# What a user might write instead of orbivane-cli: the same conversion of
# today's astorb.dat layout in awk, for the lines FROM to TO.
#   awk -v FROM=1399901 -v TO=1400000 -f convert.awk astorb.dat > out.slc
function jd(y, m, d,    yy, mm, c, b) {
  yy = y + 4800; mm = m
  if (mm <= 2) { mm += 12; yy -= 1 }
  c = int(yy / 100)
  b = int(c / 4) - c
  return b + int(yy * 36525 / 100) + int((mm + 1) * 306 / 10) + d - 32167.5
}
NR > TO { exit }
NR >= FROM {
  num = substr($0, 1, 6) + 0
  name = substr($0, 8, 18); sub(/  .*$/, "", name); sub(/[ \t]+$/, "", name)
  if (n++) printf "\r\n"
  printf (num > 0 ? "%5d " : "      "), num
  printf "%-26s%12.3f%11.6f%11.6f%11.6f%14.8f%11.8f%11.6f%6.2f", name,
    jd(substr($0, 107, 4) + 0, substr($0, 111, 2) + 0, substr($0, 113, 2) + 0),
    substr($0, 148, 10), substr($0, 138, 10), substr($0, 127, 10), substr($0, 169, 13),
    substr($0, 159, 10), substr($0, 116, 10), substr($0, 43, 5)
}
