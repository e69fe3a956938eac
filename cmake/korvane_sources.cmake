# The sources of each layer, one pair of lists per folder of src/ (paths
# relative to that folder). Read by the program's CMakeLists.txt and by
# tests/fuzz/CMakeLists.txt, so adding, removing or renaming a file is one
# line here.
#
#   korvane_<folder>_platform_free  sources that include no <windows.h>: the
#                                   fuzz build compiles them natively, which
#                                   also keeps them free of Windows
#   korvane_<folder>_windows        the rest (Windows calls, windows and GDI)
#
# The layers, lowest first; a layer may include its own folder and the ones
# named in korvane_<folder>_uses, nothing above (cmake/check-layers.cmake
# fails the build otherwise).
set(korvane_layers common report scan load export app)

set(korvane_common_uses common)
set(korvane_common_platform_free
  failure_text.cpp
  wide_format.cpp)
set(korvane_common_windows
  message_box.cpp
  windows_failure.cpp)

set(korvane_report_uses report common)
set(korvane_report_platform_free
  completeness.cpp
  reading.cpp
  reading_stream.cpp
  report_rows.cpp
  snapshot.cpp
  value_text.cpp)
set(korvane_report_windows
  memory_sample.cpp)

set(korvane_scan_uses scan report common)
set(korvane_scan_platform_free
  drives_rules.cpp
  processor_rules.cpp
  scan_tally.cpp
  smbios_parser.cpp
  system_identity.cpp)
set(korvane_scan_windows
  display_probe.cpp
  drives_probe.cpp
  failed_reading.cpp
  firmware_table.cpp
  memory_probe.cpp
  network_probe.cpp
  processor_probe.cpp
  registry.cpp
  scan_machine.cpp)

set(korvane_load_uses load report common)
set(korvane_load_platform_free
  graph_mapping.cpp
  load_derivation.cpp)
set(korvane_load_windows
  graph_panel.cpp
  load_sampler.cpp
  local_time.cpp)

set(korvane_export_uses export report common)
set(korvane_export_platform_free
  csv_report.cpp
  export_texts.cpp
  temporary_name.cpp)
set(korvane_export_windows
  safe_file_replace.cpp
  save_copy_commands.cpp)

# main.cpp (wWinMain) and korvane.rc belong to the program, not to the layer.
set(korvane_app_uses app scan load export report common)
set(korvane_app_platform_free
  group_view_decision.cpp
  power_decision.cpp)
set(korvane_app_windows
  child_windows.cpp
  main_window.cpp
  power_actions.cpp
  program.cpp
  report_view.cpp
  scan_coordination.cpp
  status_bar.cpp)

# korvane_sources(<out> <folder> <kind>...): the absolute paths of the lists
# of <kind> (platform_free, windows) of src/<folder>.
function(korvane_sources out folder)
  get_filename_component(_src "${CMAKE_CURRENT_FUNCTION_LIST_DIR}/../src/${folder}" ABSOLUTE)
  set(_paths)
  foreach(_kind IN LISTS ARGN)
    foreach(_file IN LISTS korvane_${folder}_${_kind})
      list(APPEND _paths "${_src}/${_file}")
    endforeach()
  endforeach()
  set(${out} ${_paths} PARENT_SCOPE)
endfunction()
