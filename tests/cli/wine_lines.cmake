# Wine writes lines of its own into the standard error of the programs it
# runs: its messages ("wine: ...", such as a fault in one of its background
# processes) and its debug channels ("0024:err:module:..."). They say nothing
# of the program, so the tool's tests drop them before comparing; a crash of
# the tool itself still shows in its exit status.
function(velk_drop_wine_lines var)
  set(text "\n${${var}}")
  string(REGEX REPLACE "\n(wine: |[0-9a-f]+:(err|fixme|warn|trace):)[^\n]*" "" text "${text}")
  string(SUBSTRING "${text}" 1 -1 text)
  set(${var} "${text}" PARENT_SCOPE)
endfunction()

# Now and then Wine fails to start a program at all ("Application could not
# be started ... ShellExecuteEx failed"), before the program runs: the
# tests then run it again, at most twice more.
function(velk_wine_start_failed text var)
  if(text MATCHES "ShellExecuteEx failed|Application could not be started")
    set(${var} TRUE PARENT_SCOPE)
  else()
    set(${var} FALSE PARENT_SCOPE)
  endif()
endfunction()
