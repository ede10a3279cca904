@echo off
rem Opens tmp.vkp in V_klay: V_KLay.exe beside this script, or one folder up
rem (where this folder lies inside V_klay's own). Without it, Windows opens
rem tmp.vkp with whatever program it keeps for the file, or asks which.
rem A newer release brings this file again: keep a changed copy of yours.
setlocal
set "here=%~dp0"
if exist "%here%V_KLay.exe" (
    start "" "%here%V_KLay.exe" "%here%tmp.vkp"
) else if exist "%here%..\V_KLay.exe" (
    start "" "%here%..\V_KLay.exe" "%here%tmp.vkp"
) else (
    start "" "%here%tmp.vkp"
)
