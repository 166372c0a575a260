#!/bin/sh
# swap-compiler.sh COMPILER CMAKE_COMPILER ARGS...
# A CMake compiler and linker launcher: runs the step with COMPILER instead
# of the compiler CMake chose.
compiler=$1
shift 2
exec "$compiler" "$@"
