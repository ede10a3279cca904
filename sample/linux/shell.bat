#!/bin/sh
# Opens tmp.vkp for the user to check before flashing: with V_KLay under wine
# when both are here, else with the desktop's handler, else (when run by hand)
# says where it is.
# It only opens the file; nothing here writes to the phone.
cd "$(dirname "$0")" || exit 1
if command -v wine >/dev/null 2>&1 && [ -f V_KLay.exe ]; then
    exec wine V_KLay.exe tmp.vkp
elif command -v xdg-open >/dev/null 2>&1; then
    exec xdg-open tmp.vkp
else
    echo "Патч записан в $(pwd)/tmp.vkp"
fi
