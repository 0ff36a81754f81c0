@echo off
rem The Quorvane test kit: every test of the launcher that applies to this machine, started
rem from an administrator's command prompt in the folder the kit was unpacked to (see
rem test-kit.md beside this file). It ends with one line "N passed, N failed, N skipped",
rem leaves report.xml beside this file and exits with 0 only when nothing failed.
rem Arguments go to the test program, for instance --gtest_filter=EndToEnd.*
setlocal
cd /d "%~dp0"
quorvane_tests.exe --check-machine
if errorlevel 1 exit /b 2
rem What the tests write goes into the kit's own folder, the temporary folder included.
set "QUORVANE_KIT_WORK=%~dp0work"
if exist "%QUORVANE_KIT_WORK%" rmdir /s /q "%QUORVANE_KIT_WORK%"
mkdir "%QUORVANE_KIT_WORK%\temp"
set "TEMP=%QUORVANE_KIT_WORK%\temp"
set "TMP=%QUORVANE_KIT_WORK%\temp"
if exist report.xml del report.xml
quorvane_tests.exe --gtest_output=xml:report.xml %*
set status=%errorlevel%
rem Whatever a failing or crashing test left behind goes too.
quorvane_tests.exe --clean-up
cd /d "%~dp0"
rmdir /s /q "%QUORVANE_KIT_WORK%"
quorvane_tests.exe --summary report.xml %status%
exit /b %errorlevel%
