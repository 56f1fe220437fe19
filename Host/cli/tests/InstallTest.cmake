# `cmake --install` into a fresh prefix, the prefix moved elsewhere, and the
# program run from there as an installed tool: it finds its module, the man
# page reads as one, and the completion completes.
#   cmake -DBUILD_DIR=<build tree> -DWORK_DIR=<scratch folder> -P InstallTest.cmake

# check(<if() condition> <message>)
macro(check)
  set(condition ${ARGN})
  list(POP_BACK condition failure)
  if(NOT (${condition}))
    message(FATAL_ERROR "${failure}")
  endif()
endmacro()

file(REMOVE_RECURSE ${WORK_DIR})
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${WORK_DIR}/prefix
                RESULT_VARIABLE result OUTPUT_QUIET)
check(result EQUAL 0 "cmake --install failed")
# Nothing of the build tree is needed once installed: the prefix moves.
file(RENAME ${WORK_DIR}/prefix ${WORK_DIR}/moved)
set(prefix ${WORK_DIR}/moved)
foreach(installed bin/barsandtone lib/barsandtone/plugins/ImporterBarsAndTone.cvm
                  share/man/man1/barsandtone.1 share/bash-completion/completions/barsandtone)
  check(EXISTS ${prefix}/${installed} "${installed} was not installed")
endforeach()

set(run ${CMAKE_COMMAND} -E env --unset=BARSANDTONE_MODULE --unset=LD_LIBRARY_PATH ${prefix}/bin/barsandtone)
execute_process(COMMAND ${run} inspect RESULT_VARIABLE result OUTPUT_VARIABLE out ERROR_VARIABLE err)
check(result EQUAL 0 "the installed program failed: ${err}")
string(FIND "${out}" "${prefix}/lib/barsandtone/plugins/ImporterBarsAndTone.cvm" at)
check(NOT at EQUAL -1 "the installed program did not load its own module:\n${out}")
execute_process(COMMAND ${run} frame -o ${WORK_DIR}/bars.png --preset "HD Rec.709" --size 320x180
                RESULT_VARIABLE result ERROR_VARIABLE err)
check(result EQUAL 0 "the installed program could not make a picture: ${err}")

file(STRINGS ${prefix}/share/man/man1/barsandtone.1 man)
list(GET man 0 title)
check(title MATCHES "^\\.TH BARSANDTONE 1" "the manual page has no title line: ${title}")
string(FIND "${man}" "EXIT STATUS" at)
check(NOT at EQUAL -1 "the manual page lacks the exit status")

execute_process(COMMAND bash -c "source '${prefix}/share/bash-completion/completions/barsandtone'
  COMP_WORDS=(barsandtone ex); COMP_CWORD=1; _barsandtone; echo \"\${COMPREPLY[*]}\"
  COMP_WORDS=(barsandtone tone --bi); COMP_CWORD=2; _barsandtone; echo \"\${COMPREPLY[*]}\"
  COMP_WORDS=(barsandtone tone --bits ''); COMP_CWORD=3; _barsandtone; echo \"\${COMPREPLY[*]}\""
  RESULT_VARIABLE result OUTPUT_VARIABLE completed)
check(result EQUAL 0 "the completion script failed")
check(completed MATCHES "export\n--bits\n16 24 32f\n" "completion gave:\n${completed}")
file(REMOVE_RECURSE ${WORK_DIR})
