#!/bin/sh
# Opens tmp.vkp in V_klay under wine: V_KLay.exe beside this script, or one
# folder up (where this folder lies inside V_klay's own). Without it, the
# desktop's handler opens tmp.vkp, or (run by hand) it says where the file is.
# It only opens the file; nothing here writes to the phone.
# A newer release brings this file again: keep a changed copy of yours.
cd "$(dirname "$0")" || exit 1
for vklay in ./V_KLay.exe ../V_KLay.exe; do
    if [ -f "$vklay" ] && command -v wine >/dev/null 2>&1; then
        exec wine "$vklay" tmp.vkp
    fi
done
if command -v xdg-open >/dev/null 2>&1; then
    exec xdg-open tmp.vkp
fi
echo "Патч записан в $(pwd)/tmp.vkp"
