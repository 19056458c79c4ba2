# The shared services of app/core that the Word-conversion control carries
# as well (by their file names without extension). They are built once into
# tessaview_services, which the program and the control both link, and they
# include nothing but each other and platform (test_layers checks both).
set(TESSAVIEW_CONTROL_SERVICES
  DataFolder FileSystem FileTimes Globals SpecialFolderPath StringRoutines SystemVersion)
