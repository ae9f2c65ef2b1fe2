# The executable's version record, defined once. Every build that carries a
# record takes its values from here.
set(VEXLO_FILE_VERSION "1.0.0.1")
set(VEXLO_PRODUCT_VERSION "1.0.0.0")
set(VEXLO_COMMENTS "Vexlo copies parameters from one file to another")
set(VEXLO_FILE_DESCRIPTION "Vexlo")
set(VEXLO_INTERNAL_NAME "Vexlo")
set(VEXLO_COMPANY_NAME "The Vexlo developers")
set(VEXLO_LEGAL_COPYRIGHT "Copyright (C) 2026 The Vexlo developers")
set(VEXLO_PRODUCT_NAME "Vexlo")
set(VEXLO_ORIGINAL_FILENAME "vexlo")

# The file the record names: the executable's own name on each system.
if(WIN32)
  set(VEXLO_ORIGINAL_FILENAME "Vexlo.exe")
endif()
set(VEXLO_ORIGINAL_FILENAME_WINDOWS "Vexlo.exe")

# The version resource's fixed fields want the numbers comma-separated.
string(REPLACE "." "," VEXLO_FILE_VERSION_NUMBERS "${VEXLO_FILE_VERSION}")
string(REPLACE "." "," VEXLO_PRODUCT_VERSION_NUMBERS "${VEXLO_PRODUCT_VERSION}")
