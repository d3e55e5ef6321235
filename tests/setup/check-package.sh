#!/usr/bin/env bash
# Builds the Debian package from a finished build, unpacks it into a scratch root as dpkg would
# install it, and checks what an office gets: the programs, the menu entry, the icon, the man
# pages, the declared dependencies, a fresh database made by the installed pelu and a receipt
# printed by the installed pelu-print. Lintian must find neither error nor warning.
# Usage: check-package.sh BUILD_DIR
set -euo pipefail
build=$(cd "$1" && pwd)
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

(cd "$scratch" && cpack --config "$build/CPackConfig.cmake" -B "$scratch/out" >cpack.log 2>&1) ||
    { cat "$scratch/cpack.log"; exit 1; }
deb=$(ls "$scratch"/out/pelu_*_amd64.deb)
root=$scratch/root
dpkg-deb -x "$deb" "$root"

failed=0
expect() {
    [ -e "$root/$1" ] || { echo "missing from the package: /$1"; failed=1; }
}
for program in pelu pelu-print pelu-restore; do
    expect "usr/bin/$program"
    expect "usr/share/man/man1/$program.1.gz"
done
for size in 16 22 24 32 48 64 128 256; do
    expect "usr/share/icons/hicolor/${size}x${size}/apps/pelu.png"
done
expect usr/share/doc/pelu/copyright
expect usr/share/doc/pelu/changelog.gz
expect usr/share/applications/pelu.desktop
[ $failed -eq 0 ] || exit 1

desktop-file-validate "$root/usr/share/applications/pelu.desktop"
grep -qx 'Name=公墓管理' "$root/usr/share/applications/pelu.desktop" ||
    { echo "the menu entry is not called 公墓管理"; exit 1; }

depends=$(dpkg-deb -f "$deb" Depends)
for package in libqt6sql6-sqlite libqt6sql6-psql libsodium23 fonts-wqy-microhei qt6-translations-l10n libqt6widgets6; do
    [[ ",$depends," == *[\ ,]$package[\ ,\(]* ]] || { echo "Depends lacks $package: $depends"; exit 1; }
done

# The installed programs on a fresh data folder: a database, then a receipt archived as PDF.
data=$scratch/data
"$root/usr/bin/pelu" --data "$data" --create-database >/dev/null
printf '[printer]\nmode=pdf\n' >"$data/pelu.ini"
sqlite3 "$data/pelu.db" "INSERT INTO gm_xf1 (编号, 墓碑位置, 联系人, 合计, 操作方式, 操作员, 操作日期) \
    VALUES (1, '第1区1排0001号', '张三', 1690.5, '购墓', 'Admin', '2026-12-06 10:00:00')"
pdf=$(QT_QPA_PLATFORM=offscreen "$root/usr/bin/pelu-print" --data "$data" --operator Admin \
    'gm$#SELECT * FROM gm_xf1 WHERE id = 1')
[ -s "$pdf" ] || { echo "the installed pelu-print made no receipt"; exit 1; }
pdftotext "$pdf" - | grep -q '张三' || { echo "the receipt does not show its row"; exit 1; }

# The same on a server, when the tests have one: a new office's database made there, and printed from.
if [ -n "${PGHOST:-}" ]; then
    server=$scratch/server
    name=pelu_package_$$
    createdb -E UTF8 -T template0 "$name"
    trap 'dropdb --if-exists "$name"; rm -rf "$scratch"' EXIT
    mkdir -p "$server"
    printf '[peludb]\ndriver=QPSQL\nhost=%s\nport=%s\nuser=%s\ndatabase=%s\n[printer]\nmode=pdf\n' \
        "$PGHOST" "${PGPORT:-5432}" "${PGUSER:-$USER}" "$name" >"$server/pelu.ini"
    "$root/usr/bin/pelu" --data "$server" --create-database >/dev/null
    psql -q -d "$name" -c "INSERT INTO gm_xf1 (编号, 墓碑位置, 联系人, 合计, 操作方式, 操作员, 操作日期) \
        VALUES (1, '第1区1排0001号', '李四', 1690.5, '购墓', 'Admin', '2026-12-06 10:00:00')"
    pdf=$(QT_QPA_PLATFORM=offscreen "$root/usr/bin/pelu-print" --data "$server" --operator Admin \
        'gm$#SELECT * FROM gm_xf1 WHERE id = 1')
    pdftotext "$pdf" - | grep -q '李四' || { echo "the installed programs do not print from a server"; exit 1; }
fi

lintian --fail-on error,warning "$deb"
echo "package checked: $(basename "$deb")"
