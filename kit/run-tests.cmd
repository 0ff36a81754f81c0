@echo off
rem The Quorvane test kit: every test of the launcher that applies to this machine, started
rem from an administrator's command prompt in the folder the kit was unpacked to (see
rem test-kit.md beside this file). It ends with one line "N passed, N failed, N skipped",
rem leaves report.xml beside this file and exits with 0 only when nothing failed, with 2 when
rem it refused to run (it says why).
rem Arguments go to the test program, for instance --gtest_filter=EndToEnd.*
rem run-tests.cmd --clean-up only removes what an interrupted run left (what bears the kit's
rem mark; nothing else), and says what it removed and what it left.
setlocal
cd /d "%~dp0"
set "QUORVANE_KIT_WORK=%~dp0work"
if "%~1"=="--clean-up" goto clean_up
rem What the tests write goes into the kit's own folder, the temporary folder included.
if exist "%QUORVANE_KIT_WORK%" rmdir /s /q "%QUORVANE_KIT_WORK%" >nul 2>&1
mkdir "%QUORVANE_KIT_WORK%\temp"
set "TEMP=%QUORVANE_KIT_WORK%\temp"
set "TMP=%QUORVANE_KIT_WORK%\temp"
if exist report.xml del report.xml
rem The test program refuses, changing nothing, where it would touch what is not the kit's,
rem and removes what the kit's tests leave, also what an interrupted run left.
quorvane_tests.exe --gtest_output=xml:report.xml %*
set status=%errorlevel%
if exist report.xml goto done
if %status%==2 goto done
rem A crash: no report of the tests' own, and perhaps the kit's things left behind.
quorvane_tests.exe --clean-up >nul
> report.xml echo ^<testsuites tests="1" failures="1"^>^<testsuite name="Kit" tests="1" failures="1"^>^<testcase name="TheTestsEndedWithTheirReport" status="run" result="completed" classname="Kit"^>^<failure message="the test program ended with exit code %status% before its report"/^>^</testcase^>^</testsuite^>^</testsuites^>
echo the test program ended with exit code %status% before its report
echo 0 passed, 1 failed, 0 skipped
set status=1
:done
if exist "%QUORVANE_KIT_WORK%" rmdir /s /q "%QUORVANE_KIT_WORK%" >nul 2>&1
exit /b %status%

:clean_up
quorvane_tests.exe --clean-up
if exist "%QUORVANE_KIT_WORK%" rmdir /s /q "%QUORVANE_KIT_WORK%" >nul 2>&1
exit /b 0
