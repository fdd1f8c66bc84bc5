@echo off
rem Installs and starts the Slotwise disk service ("ZRVKVN service").
rem Needs administrator rights: right-click this file and choose "Run as administrator".
echo Installing the Slotwise disk service. This needs administrator rights.
cd /d "%~dp0"
"%~dp0ZRVKVNService.exe" /install
pause
