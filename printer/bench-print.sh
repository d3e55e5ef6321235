#!/usr/bin/env bash
# Times pelu-print on a fresh data folder: a one-row receipt (process start to PDF written, 20 runs)
# and lists of 2,500 / 5,000 / 10,000 rows (wall time and peak memory, to see that memory grows linearly).
#   printer/bench-print.sh [BUILD_DIR]      (default: build; needs bin/pelu and bin/pelu-print, sqlite3)
set -euo pipefail
bin="$(cd "${1:-build}" && pwd)/bin"
data=$(mktemp -d)
trap 'rm -rf "$data"' EXIT
export QT_QPA_PLATFORM=offscreen

"$bin/pelu" --data "$data" --create-database >/dev/null
sed -i 's/^mode=.*/mode=pdf/' "$data/pelu.ini" # time the PDF, never send it to a printer
sqlite3 "$data/pelu.db" <<'SQL'
INSERT INTO gm_xf1 (编号, 墓碑位置, 购墓日期, 日期起, 日期止, 联系人, 联系电话, 故者姓名, 墓地费, 墓碑费, 家庭墓费, 工料费,
                    管理费, 绿化费, 其它费, qt, qtf, 小计, 合计, 操作方式, 操作员, 操作日期)
WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 10000)
SELECT i, '甲区' || (i / 100 + 1) || '排' || substr('0000' || (i % 100 + 1), -4) || '号', '2026-01-01', '2026-01-01',
       '2046-01-01', '联系人' || i, '138' || substr('00000000' || i, -8), '故者' || i, 12000 + i, 3500, 0, 800, 1000, 200,
       0, '刻字', 150, 17650 + i, 17650 + i, '购墓', 'Admin', '2026-01-01 10:00:00'
FROM n;
SQL

seconds() { /usr/bin/time -f '%e %M' "$bin/pelu-print" --data "$data" "$1" 2>&1 >/dev/null | tail -1; }

echo "one-row receipt (gm), 20 runs: seconds, peak KB"
for _ in $(seq 20); do seconds 'gm        $#select 5000 as 预交金额, 0 as 余额, * from gm_xf1 where id=1'; done |
    sort -n | awk '{ t[NR] = $1; m = $2 } END { printf "  median %.3f s, slowest %.3f s, peak %d KB\n", t[int((NR + 1) / 2)], t[NR], m }'

for rows in 2500 5000 10000; do
    read -r wall peak < <(seconds "gm_tj1    \$#select * from gm_xf1 where id <= $rows@2026-01-01到2026-12-31公墓销售统计表(墓区)")
    echo "list of $rows rows (gm_tj1): $wall s, peak $peak KB"
done
echo "PDFs written: $(ls "$data/prints" | wc -l)"
