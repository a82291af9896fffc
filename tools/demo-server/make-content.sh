#!/usr/bin/env bash
# Generates what the bundled management server serves:
#   www/api/ventra/ditches/lunet/client_config_lunet.php   the configuration text
#   www/packages/lunet/<version>/vorn.zip                   the client package (the demo game)
#   www/login/index.html                                    the channel's login page
# Usage: make-content.sh <demo game executable> <output folder> [version] [base url]
set -euo pipefail
game=$1
out=$2
version=${3:-1.0.0.1}
base=${4:-http://127.0.0.1:18080}
here=$(cd "$(dirname "$0")" && pwd)

rm -rf "$out"
mkdir -p "$out/www/api/ventra/ditches/lunet" "$out/www/packages/lunet/$version" "$out/www/login"

# The configuration: one key=value per line. Values may not hold '=' (a second '=' ends a value).
cat > "$out/www/api/ventra/ditches/lunet/client_config_lunet.php" <<CONFIG
ClientMiniUpdateVersion=$version
ClientVersion=$version
ClientDownloadUrl=$base/packages/{ditch_name}/{version}/vorn.zip
Client32DownloadUrl=$base/packages/{ditch_name}/{version}/vorn.zip
EntryUrl=$base/login/index.html
CustomParameters=channel:lunet;server:demo-1
CONFIG

# The package: folders listed before their files, as an archiver writes them.
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
mkdir -p "$stage/vorn/data/maps"
install -m 0755 "$game" "$stage/vorn/vorn"
printf 'Brannoc demo client %s\n' "$version" > "$stage/vorn/data/version.txt"
printf '这是演示客户端的说明。\n' > "$stage/vorn/data/说明.txt"
for i in $(seq 1 20); do
    printf 'map %02d\n' "$i" > "$stage/vorn/data/maps/map$i.txt"
done
head -c 6291456 /dev/urandom > "$stage/vorn/data/assets.bin"
(cd "$stage" && zip -q -r -X "$out/www/packages/lunet/$version/vorn.zip" vorn)

cp "$here/login.html" "$out/www/login/index.html"
echo "$out"
