@echo off
rem Stops and removes the Slotwise disk service ("ZRVKVN service").
rem Needs administrator rights: right-click this file and choose "Run as administrator".
echo Removing the Slotwise disk service. This needs administrator rights.
cd /d "%~dp0"
"%~dp0ZRVKVNService.exe" /uninstall
pause
