@echo off
rem Runs vr815-test.exe against the simulated device, no VR815 attached:
rem vr815-sim.exe serves on a free port of this machine's loopback address
rem (127.0.0.1, nothing outside the machine can connect) and hosts
rem vr815-test.exe with that port's name; it ends when vr815-test.exe does.
rem Arguments go to the simulated device, for example:
rem
rem   run-with-sim.cmd --fail SET_DELAY=5    the delay step fails with code 5
rem   run-with-sim.cmd --silent              every call after the open times out
rem
rem Exit status: vr815-test.exe's (0 when the device opened, -1 when it did
rem not), 127 when vr815-test.exe cannot start, 1 when a file is missing or
rem the simulated device cannot serve, 2 for a bad argument.
rem Version @PROJECT_VERSION@.
setlocal EnableExtensions DisableDelayedExpansion

set "here=%~dp0"
set "missing="
for %%f in (vr815-sim.exe vr815-test.exe VR815_DLL.dll libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll) do if not exist "%here%%%f" set "missing=%%f"
if not defined missing goto files_present
echo run-with-sim: %missing% is missing beside run-with-sim.cmd; unpack the whole zip into one folder 1>&2
exit /b 1
:files_present

rem One process tree: the device starts vr815-test.exe in this console, so
rem that the key press and Ctrl-C reach it as they would directly, and takes
rem it down with itself if it is closed.
"%here%vr815-sim.exe" --listen 127.0.0.1:0 %* --run "%here%vr815-test.exe"
exit /b %errorlevel%
