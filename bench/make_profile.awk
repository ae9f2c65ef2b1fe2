# Writes a generated profile of about `size` bytes to standard output: a long
# list of machines, one section of eight entries each, CR LF line ends, as a
# deployment's generated configuration looks. The section [S] with k=old is
# put at `place`: "middle" or "end".
#   awk -v size=100000000 -v place=end -f make_profile.awk > end.ini
function machine(i) {
  return sprintf("[Machine%07d]\r\nName=host-%07d\r\nAddress=10.%d.%d.%d\r\nDataDir=D:\\Apps\\Pool%d\\Data\r\n" \
                 "LogDir=E:\\Logs\\host-%07d\r\nRole=worker\r\nOwner=ops-team-%d\r\nEnabled=1\r\n" \
                 "; checked 2026-12-01\r\n\r\n",
                 i, i, int(i / 65536) % 256, int(i / 256) % 256, i % 256, i % 97, i, i % 13)
}
BEGIN {
  target = "[S]\r\nk=old\r\n"
  written = 0
  for (i = 0; written < size; i++) {
    if (place == "middle" && !placed && written >= size / 2) {
      printf "%s", target
      written += length(target)
      placed = 1
    }
    text = machine(i)
    printf "%s", text
    written += length(text)
  }
  if (!placed) {
    printf "%s", target
  }
}
