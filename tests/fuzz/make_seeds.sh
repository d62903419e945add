#!/usr/bin/env bash
# Writes the seed corpora of the fuzz targets (tests/fuzz/corpus/<target>/): packages made by
# vxpack for the package and extraction targets, small hand-made inputs for the others. The
# corpora are checked in; run this again only to renew them.
# Usage: tests/fuzz/make_seeds.sh [VXPACK]   (default: dist/vxpack)
set -euo pipefail
HERE="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
ROOT="$(cd "$HERE/../.." && pwd)"
VXPACK="$(realpath "${1:-$ROOT/dist/vxpack}")"
CORPUS="$HERE/corpus"
WORK="$(mktemp -d)"
trap 'rm -rf "$WORK"' EXIT

# seed TARGET NAME: the seed's bytes come from standard input.
seed() { mkdir -p "$CORPUS/$1"; cat > "$CORPUS/$1/$2"; }

# ---- Packages (vxpack) ----
cd "$WORK"
mkdir -p files/sub big
printf 'MZ the setup program\r\n' > files/setup.exe
printf 'readme text, readme text, readme text\n' > files/readme.txt
printf '[app]\nkey=value\n' > files/sub/app.ini
: > files/sub/empty.dat
head -c 30000 /dev/urandom > big/data.bin
printf 'MZ' > launcher.exe
head -c 254 /dev/zero >> launcher.exe
printf 'PE\0\0' >> launcher.exe
head -c 400 /dev/zero >> launcher.exe

cat > plain.ini <<'EOF'
[package]
output = plain.exe
files = files
setup = setup.exe
setup_params = /quiet
dates = none
level = 6
EOF
cat > full.ini <<'EOF'
[package]
output = full.exe
launcher = launcher.exe
files = files
setup = setup.exe
dates = mtime
make_agent = yes
signable = yes
level = 6
[settings]
update_url = https://updates.example.com/app
info_file = App.info
agent_exe = AppUpdate.exe
agent_token = AgentSecret
run_hidden = yes
[language English]
s0 = Setup <B>App</B>
s1 = Extracting files...
BtnText = |&OK|&Cancel|&Yes|&No|&Abort|&Retry|&Ignore|
FontSize = 9
[language German]
s0 = Installation
Charset = 0
EOF
cat > web.ini <<'EOF'
[package]
output = webfull.exe
launcher = launcher.exe
files = files
setup = setup.exe
dates = none
level = 6
[web]
url_folder = https://downloads.example.com/app
file = webfull.exe
token = WebSecret
ask_download = yes
launcher_output = websmall.exe
EOF
cat > span.ini <<'EOF'
[package]
output = span.exe
files = big
span_size = 16K
dates = none
level = 1
EOF
for m in plain full web span; do "$VXPACK" build "$m.ini" > /dev/null; done

# The package target: a mode byte (0: read the bytes), then the file.
for f in plain.exe full.exe webfull.exe websmall.exe span.exe.002; do
  { printf '\0'; cat "$f"; } | seed package "$f"
done
# ... mode 1: a token's seed and text.
printf '\001\001\002\003\004AgentSecret' | seed package token
# The extraction target: mode bits (1 checksum stored afresh, 2 pieces split at the mark,
# 4 update agent, 8 OK for two disk questions), then the package.
{ printf '\0'; cat plain.exe; } | seed extract plain
{ printf '\005'; cat full.exe; } | seed extract full-agent
{ printf '\001'; cat webfull.exe; } | seed extract web
{ printf '\001'; cat websmall.exe; } | seed extract web-launcher
{ printf '\003'; cat span.exe.001; printf 'VXPIECE!'; cat span.exe.002; } | seed extract spanned
{ printf '\013'; cat span.exe.001; } | seed extract spanned-missing

# ---- Texts (by hand) ----
# switches: command line, module path, switch name, list, list value, index byte.
printf '"C:\\Program Files\\App\\setup.exe" /TRANSIENT="|1|0|" /SleepX=5 /dir="C:\\a b"\0C:\\Program Files\\App\\setup.exe\0/dir=\0|a|b|c|\0x\0\002' | seed switches quoted
printf 'setup.exe /STOP=3 /WM_MSG=1125,31,2 /TEST\0setup.exe\0/STOP=\0,1,,3,\0two\0\005' | seed switches plain
printf 'a.exe /x="open\0a.exe\0/x=\0|\0v\0\000' | seed switches open-quote
# markup
printf 'First line<P>second<T>tab\\\\n<B>bold</B> and <b>more</b>' | seed markup tags
printf '<<b>Heading</b><P><B><B>nested</B></B></B><<B>B>>' | seed markup joins
# language: two locale bytes, then table, key, default.
printf '\011\004\002|ENGLISH|s0=Setup|Charset=0|FontSize=9|FontName=Arial|\002~GERMAN~s0=Installation~\002\0s0\0Default' | seed language english
printf '\007\004\002|English|s0=A|\002#German#s0 = B#FontSize=x#\002\0s0\0D' | seed language german
printf '\031\004\002^Only^s1=one^\002\0s1\0D' | seed language single
# macros: mode byte (bit 0 relative paths, bit 1 double-byte code page, bits 4-5 the suffix),
# then text and install folder.
printf '\000<InstallDir>\\bin;<WinSysDir>;<Date=7>;<LoggedUserName>;<InstallDrive>x\0C:\\Program Files\\App' | seed macros folders
printf '\021|<TempDir>\\..\\a|<SrcDir>..\\b|plain|\0D:\\App\\' | seed macros relative
printf '\002<Application Folder>\\\\x\\\\<InstallDir>\201\\\0C:\\\203\\App' | seed macros dbcs
# scramble: seed byte, then the text.
printf 'AAgentSecret' | seed scramble plain
printf '\000Scrambled=01!abc' | seed scramble marked
# transient: key bits, then two flag texts.
printf '\025|1|0|255|1||x|\0|0|0|' | seed transient flags
printf '\000,-1,256,0x10,$1F\0' | seed transient odd
# agent: mode, remote command, value (4 bytes), then original file, update-information file,
# inform file, agent token.
printf '\377\037\002\000\000\000[OriginalSetup]\nVersionOriginal=100\nStamp=5\nProbeSecondsInterval=0\nProbeSecondsLast=0\nReAskSecondsInterval=3600\n[MsgBox]\nFontSize=9\n[AutoUpdate]\ns11=Download PROG_NAME?\n\0[NewSetup]\nVersionNew=101\nStamp=6\nValidVersions=99,100\nNameOfUpdateFile=AppSetup.exe\nDownloadURL_UPDATE=https://u.example.com/app\nSizeOfUpdateFile=1234\nShutDownMethod=Issue a Message Box\nRunningProcess=<InstallDir>\\App.exe\nRestartProcess=1\n[General]\nAutoInform=0\n\0|token|x|y|News text\0token' | seed agent offer
printf '\145\014\377\377\377\377[OriginalSetup]\nVersionOriginal=0x10\n\0[NewSetup]\nVersionNew=17\nNameOfUpdateFile=COM1.exe\n[AutoInform]\nNameOfInformFile=..\\news.txt\nSizeOfInformFile=1234\n[General]\nAutoInform=1\n\0Scrambled=01!abc|def\0' | seed agent inform
# http: length, stamp, offset, status byte, content length, stamp, tick, last read, then
# destination, partial file name, content range, page.
printf '\000\020\000\000\001\002\003\004\000\004\000\000\002\000\020\000\000\001\002\003\004\350\003\000\000\000\004\000\000C:\\Temp\\Setup.exe\0c:\\temp\\setup.exe.67375104\0bytes 1024-4095/4096\0<html><title>404 Not Found</title></html>' | seed http resume
printf '\377\377\377\177\377\377\377\377\000\000\000\000\001\377\377\377\377\000\000\000\000\000\000\000\000\000\000\000\000a\0a.-1\0bytes */100\0<TITLE>ok</TITLE>' | seed http whole
echo "seeds written to $CORPUS"
