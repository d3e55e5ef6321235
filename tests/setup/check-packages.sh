#!/usr/bin/env bash
# Every CMake package, library and program the build found must come from a Debian package that
# ./dev installs (itself or through its dependencies), or from the base system. Otherwise the
# build works here only because somebody installed that package by hand, and a fresh machine fails.
# Usage: check-packages.sh BUILD_DIR DEV_SCRIPT
set -euo pipefail
cache=$1/CMakeCache.txt
dev=$2
command -v dpkg-query >/dev/null || { echo "no dpkg here: nothing to check"; exit 0; }

# Every installed package with its dependencies and priority, read once.
declare -A depends priority
while IFS=$'\t' read -r package needs level; do
    depends[$package]=$needs
    priority[$package]=$level
done < <(dpkg-query -W -f='${db:Status-Status}\t${Package}\t${Depends}, ${Pre-Depends}\t${Priority}\n' |
         sed -n 's/^installed\t//p' | sed 's/([^)]*)//g; s/:any//g; s/[,|]/ /g')

# The packages ./dev installs and everything they depend on.
declare -A closure
queue=($(sed -n '/^PACKAGES=(/,/^)/p' "$dev" | sed 's/PACKAGES=(//; s/)//' | tr -s ' \n' '\n' | grep -v '^$'))
while ((${#queue[@]})); do
    package=${queue[-1]}
    unset 'queue[-1]'
    [[ -n ${closure[$package]:-} ]] && continue
    closure[$package]=1
    for dependency in ${depends[$package]:-}; do
        queue+=("$dependency")
    done
done

# The files the build found: package configurations, libraries and programs.
found=()
while IFS= read -r dir; do
    for config in "$dir"/*Config.cmake "$dir"/*-config.cmake; do
        [[ -f $config ]] && found+=("$config")
    done
done < <(grep -E '^[A-Za-z0-9_]+_DIR:PATH=/' "$cache" | sed 's/^[^=]*=//' | sort -u)
# FindOpenGL probes optional pieces (GLU, EGL) nobody links; the GL that Qt needs is libgl-dev's.
while IFS= read -r file; do
    [[ -e $file ]] && found+=("$(readlink -f "$file")")
done < <(grep -E ':FILEPATH=/' "$cache" | grep -v '^OPENGL_' | sed 's/^[^=]*=//' | sort -u)

# Which package owns each file, read from dpkg's own file lists in one pass.
missing=0
while IFS= read -r line; do
    list=${line%%.list:*}
    owner=${list##*/}
    owner=${owner%%:*}
    file=${line#*.list:}
    [[ -n ${closure[$owner]:-} ]] && continue
    [[ ${priority[$owner]:-} == required || ${priority[$owner]:-} == important ]] && continue
    echo "A fresh machine would lack $owner (for $file): add it to PACKAGES in ./dev."
    missing=1
done < <(printf '%s\n' "${found[@]}" | grep -H -F -x -f - /var/lib/dpkg/info/*.list)
echo "checked ${#found[@]} files the build found against ${#closure[@]} packages"
exit $missing
