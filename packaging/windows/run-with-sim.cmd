@echo off
rem Runs vr815-test.exe against the simulated device, no VR815 attached:
rem starts vr815-sim.exe on a free port of this machine's loopback address
rem (127.0.0.1, nothing outside the machine can connect), runs vr815-test.exe
rem against it and stops the simulated device again. Arguments go to the
rem simulated device, for example:
rem
rem   run-with-sim.cmd --fail SET_DELAY=5    the delay step fails with code 5
rem   run-with-sim.cmd --silent              every call after the open times out
rem
rem Exit status: vr815-test.exe's (0 when the device opened, -1 when it did
rem not; any other value is the system's for a program that could not start),
rem or 1 when a file is missing or the simulated device did not start.
rem Version @PROJECT_VERSION@.
setlocal EnableExtensions DisableDelayedExpansion

set "here=%~dp0"
set "missing="
for %%f in (vr815-sim.exe vr815-test.exe VR815_DLL.dll libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll) do if not exist "%here%%%f" set "missing=%%f"
if not defined missing goto files_present
echo run-with-sim: %missing% is missing beside run-with-sim.cmd; unpack the whole zip into one folder 1>&2
exit /b 1
:files_present

rem The simulated device's standard output goes to a file of this run; its
rem first line is the name vr815-test.exe opens. A command interpreter around
rem it marks the device's end with a second file, so that this script can
rem tell whether it still runs. /b keeps it in this console: Ctrl-C reaches
rem the device and vr815-test.exe alike.
set "run=%TEMP%\vr815-sim-%RANDOM%%RANDOM%"
start "" /b cmd /d /s /c ""%here%vr815-sim.exe" --listen 127.0.0.1:0 --once %* >"%run%.out" & echo ended>"%run%.end""

rem Wait for the name, up to 10 s (ping waits a second between its echoes).
set "port="
set /a tries=0
:wait_for_port
if exist "%run%.out" for /f "usebackq delims=" %%l in ("%run%.out") do if not defined port set "port=%%l"
if defined port goto port_given
if exist "%run%.end" goto sim_failed
set /a tries+=1
if %tries% gtr 10 goto sim_failed
ping -n 2 127.0.0.1 >nul
goto wait_for_port

:port_given
if not "%port:~0,9%"=="socket://" goto sim_failed
echo run-with-sim: simulated device on %port%
set "status=0"
"%here%vr815-test.exe" %port%
set "status=%errorlevel%"

rem With --once the device ends when vr815-test.exe closes its connection.
rem When vr815-test.exe never connected (it could not start, or did not
rem open the device), it is stopped here: by name, as this command
rem interpreter cannot learn its process id.
set /a tries=0
:wait_for_end
if exist "%run%.end" goto ended
set /a tries+=1
if %tries% gtr 3 goto stop_sim
ping -n 2 127.0.0.1 >nul
goto wait_for_end

:stop_sim
echo run-with-sim: the simulated device is still running; stopping vr815-sim.exe 1>&2
taskkill /f /im vr815-sim.exe >nul 2>nul
set /a tries=0
:wait_for_kill
if exist "%run%.end" goto ended
set /a tries+=1
if %tries% gtr 5 goto ended
ping -n 2 127.0.0.1 >nul
goto wait_for_kill

:ended
del /q "%run%.out" "%run%.end" >nul 2>nul
exit /b %status%

:sim_failed
rem Its complaint, if any, is on the console already; what it printed on
rem standard output follows.
echo run-with-sim: vr815-sim.exe did not start a simulated device 1>&2
if exist "%run%.out" type "%run%.out"
if exist "%run%.end" goto failed_end
taskkill /f /im vr815-sim.exe >nul 2>nul
:failed_end
del /q "%run%.out" "%run%.end" >nul 2>nul
exit /b 1
