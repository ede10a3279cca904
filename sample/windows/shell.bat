@echo off
rem Opens tmp.vkp in the flashing tool beside this script.
cd /d "%~dp0"
start "" V_KLay.exe "tmp.vkp"
