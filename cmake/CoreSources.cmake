# The sources of kaldex_core, for the main build and the fuzz build alike.
set(KALDEX_CORE_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/../store/Number.cpp
  ${CMAKE_CURRENT_LIST_DIR}/../store/FieldText.cpp
  ${CMAKE_CURRENT_LIST_DIR}/../store/CodePage.cpp
  ${CMAKE_CURRENT_LIST_DIR}/../store/FieldRules.cpp
  ${CMAKE_CURRENT_LIST_DIR}/../store/FileBytes.cpp
  ${CMAKE_CURRENT_LIST_DIR}/../search/Query.cpp
  ${CMAKE_CURRENT_LIST_DIR}/../viewer/DocumentLayout.cpp
  ${CMAKE_CURRENT_LIST_DIR}/../editor/PocketReport.cpp
  ${CMAKE_CURRENT_LIST_DIR}/../editor/PlainRtf.cpp
  ${CMAKE_CURRENT_LIST_DIR}/../editor/HelpFile.cpp
  ${CMAKE_CURRENT_LIST_DIR}/../store/DocumentStore.cpp
  ${CMAKE_CURRENT_LIST_DIR}/../store/DatabaseLoader.cpp
  ${CMAKE_CURRENT_LIST_DIR}/../store/DatabaseWriter.cpp
  ${CMAKE_CURRENT_LIST_DIR}/../store/DatabaseFile.cpp
)
