# The fuzz targets, each built from fuzz_<name>.cpp.
set(MOBIVERT_FUZZ_TARGETS inifile optionlist console translation trimtimes customsize mp4tags)
