# The folders of src/ in their one order, bottom to top. Each folder is a static library
# linked only to the folders below it, and its sources include only their own folder and the
# folders below (script/check-layers, CTest `layers`); src/main.cpp sits above them all.
set(TARVEX_LAYERS
  platform base resources scene model media render text interaction scripts menu workbench shell)
