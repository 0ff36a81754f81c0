@echo off
rem The Quorvane test kit's start, from an administrator's prompt: its usage below and test-kit.md say what it does.
setlocal
cd /d "%~dp0"
set "QUORVANE_KIT_WORK=%~dp0work"
if "%~1"=="--clean-up" goto clean_up
if "%~1"=="--help" goto usage
if "%~1"=="-h" goto usage
if "%~1"=="/?" goto usage
if "%~1"=="-?" goto usage
rem What the tests write goes into work\, temporary files too; the test program makes it afresh once it has not
rem refused, and the report comes under another name: a refusal leaves an earlier run's report.xml and work\.
set "TEMP=%QUORVANE_KIT_WORK%\temp"
set "TMP=%QUORVANE_KIT_WORK%\temp"
if exist report.new.xml del report.new.xml
quorvane_tests.exe --gtest_output=xml:report.new.xml %*
set status=%errorlevel%
if exist report.new.xml goto done
if %status%==2 exit /b 2
rem A crash: no report of the tests' own, and perhaps the kit's things left behind.
quorvane_tests.exe --clean-up
> report.new.xml echo ^<testsuites tests="1" failures="1"^>^<testsuite name="Kit" tests="1" failures="1"^>^<testcase name="TheTestsEndedWithTheirReport" status="run" result="completed" classname="Kit"^>^<failure message="the test program ended with exit code %status% before its report"/^>^</testcase^>^</testsuite^>^</testsuites^>
echo the test program ended with exit code %status% before its report
echo 0 passed, 1 failed, 0 skipped
set status=1
:done
move /y report.new.xml report.xml >nul
exit /b %status%

:clean_up
quorvane_tests.exe --clean-up
exit /b %errorlevel%

:usage
echo Usage: run-tests.cmd [ARGUMENTS...]    from an administrator's command prompt, in this folder
echo        run-tests.cmd --clean-up
echo Runs every test of the launcher that applies to this machine and ends with the line
echo "N passed, N failed, N skipped"; the run's report is report.xml beside this file.
echo   ARGUMENTS   go to the test program, for instance --gtest_filter=EndToEnd.*
echo   --clean-up  only removes what an interrupted run left (what bears the kit's mark;
echo               nothing else), and says what it removed, what it left as not the
echo               kit's, and what of the kit's it could not remove, with the error
echo Exit code: 0 when nothing failed; 1 when a test failed, the test program ended
echo before its report, or something of the kit's could not be removed; 2 when it
echo refused to run (it says why; it changed nothing but what an earlier run left).
echo More in test-kit.md beside this file.
exit /b 0
