#!/bin/sh
# Starts the installed client; it finds its package, toolkit and updater
# beside its own executable.
exec /opt/zelvio/bin/Zelvio "$@"
