# SPDX-License-Identifier: Apache-2.0
# Test programs of a cross build run under the emulator (the toolchain's
# CMAKE_CROSSCOMPILING_EMULATOR): ctest starts them through it, and so must a
# test that starts a program of the tree itself, since this machine does not
# run foreign programs by itself. Natively all of this is a no-op.

# Under qemu-user, Qt's QProcess needs a hand to start processes (see the
# shim): every program run under the emulator gets it.
if(CMAKE_CROSSCOMPILING_EMULATOR)
  add_library(pidfd_shim SHARED ${CMAKE_CURRENT_LIST_DIR}/pidfd_shim.c)
  target_link_libraries(pidfd_shim PRIVATE ${CMAKE_DL_LIBS})
  list(APPEND CMAKE_CROSSCOMPILING_EMULATOR -E LD_PRELOAD=${CMAKE_BINARY_DIR}/bin/libpidfd_shim.so)
endif()

# Under the emulator, a script beside the others in build/emulated that runs
# the target's program there.
function(pelorin_emulated_program target)
  get_property(written GLOBAL PROPERTY pelorin_emulated_programs)
  if(target IN_LIST written)
    return()
  endif()
  set_property(GLOBAL APPEND PROPERTY pelorin_emulated_programs ${target})
  list(JOIN CMAKE_CROSSCOMPILING_EMULATOR " " emulator)
  file(GENERATE OUTPUT ${CMAKE_BINARY_DIR}/emulated/${target}
    CONTENT "#!/bin/sh\nexec ${emulator} '$<TARGET_FILE:${target}>' \"$@\"\n"
    FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
endfunction()

# The path through which a test starts the target's program.
function(pelorin_test_program variable target)
  if(CMAKE_CROSSCOMPILING_EMULATOR)
    pelorin_emulated_program(${target})
    set(${variable} ${CMAKE_BINARY_DIR}/emulated/${target} PARENT_SCOPE)
  else()
    set(${variable} $<TARGET_FILE:${target}> PARENT_SCOPE)
  endif()
endfunction()

# The directory in which a test finds the programs of these targets (all of
# them built into bin/) by their names.
function(pelorin_test_program_dir variable)
  if(CMAKE_CROSSCOMPILING_EMULATOR)
    foreach(target ${ARGN})
      pelorin_emulated_program(${target})
    endforeach()
    set(${variable} ${CMAKE_BINARY_DIR}/emulated PARENT_SCOPE)
  else()
    set(${variable} ${CMAKE_RUNTIME_OUTPUT_DIRECTORY} PARENT_SCOPE)
  endif()
endfunction()

# The programs of a test area and its subfolders run under the emulator as
# soon as they are built (their test lists are read from them): the shim must
# be there.
function(pelorin_emulation_needs_shim area)
  if(NOT TARGET pidfd_shim)
    return()
  endif()
  get_property(subfolders DIRECTORY ${area} PROPERTY SUBDIRECTORIES)
  foreach(subfolder ${subfolders})
    pelorin_emulation_needs_shim(${subfolder})
  endforeach()
  get_property(targets DIRECTORY ${area} PROPERTY BUILDSYSTEM_TARGETS)
  foreach(target ${targets})
    get_target_property(type ${target} TYPE)
    if(type STREQUAL "EXECUTABLE")
      add_dependencies(${target} pidfd_shim)
    endif()
  endforeach()
endfunction()
