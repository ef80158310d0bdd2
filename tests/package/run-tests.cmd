@echo off
rem Runs the Windows tests of velkaro_ss_launcher, one program at a time.
rem   run-tests.cmd [part of a program name]   e.g. run-tests.cmd smoke
rem Each program writes results\<program>.xml (GoogleTest's XML output);
rem results\summary.txt counts what passed, failed and was skipped, and why.
rem The tests work in bin\testdirs.
rem Exit code 0 only when tests ran and none failed.
setlocal
cd /d "%~dp0"
if not exist bin\run_test_program.exe (
  echo Unpack the whole zip first, then run run-tests.cmd in the unpacked folder.
  pause
  exit /b 2
)
set "filter=%~1"
set programs=0
if exist results rmdir /s /q results
if exist bin\testdirs rmdir /s /q bin\testdirs
mkdir results
for %%P in (bin\*%filter%*.exe) do call :run %%~nP
if %programs%==0 (
  echo No test program name holds "%filter%".
  exit /b 2
)
echo.
bin\run_test_program.exe summary
set result=%errorlevel%
echo.
echo Results: %CD%\results
rem Started by a double-click: keep the window open to show the summary.
echo(%cmdcmdline%| find /i "%~f0" >nul 2>nul
if not errorlevel 1 pause
exit /b %result%

:run
set "name=%~1"
if /i not "%name:~-6%"=="_tests" goto :eof
set /a programs+=1
echo.
echo ==== %name%
rem Each program ends within 10 minutes, or is ended with all it started.
bin\run_test_program.exe run %name% 600
goto :eof
