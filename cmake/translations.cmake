# The Korean translation of every text of src/, compiled by lrelease and embedded in the platform
# library under :/i18n. `cmake --build <dir> --target update_translations` brings new English
# texts into the .ts file; tst_translations fails until each has a finished translation.
file(GLOB_RECURSE TIDEWELL_TRANSLATED_SOURCES CONFIGURE_DEPENDS
     ${PROJECT_SOURCE_DIR}/src/*.cpp ${PROJECT_SOURCE_DIR}/src/*.h ${PROJECT_SOURCE_DIR}/src/*.inc)
# UiText::menuText and UiText::withAccessKey take their English text the way tr() does. Without
# source locations the .ts file changes only when a text does.
set(TIDEWELL_LUPDATE_OPTIONS -tr-function-alias tr+=menuText,tr+=withAccessKey -locations none)
qt_add_translations(tidewell_platform
  TS_FILES ${PROJECT_SOURCE_DIR}/translations/tidewell_ko.ts
  RESOURCE_PREFIX /i18n
  SOURCES ${TIDEWELL_TRANSLATED_SOURCES}
  LUPDATE_OPTIONS ${TIDEWELL_LUPDATE_OPTIONS}
  LRELEASE_OPTIONS -silent)
