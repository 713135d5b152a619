#!/usr/bin/env bash
# Installs the Debian packages of the Windows builds: the mingw-w64 cross compilers and Wine.
# About a minute and 2 GB on a fresh machine.
exec "$(dirname "$0")/install_deps.sh" windows
