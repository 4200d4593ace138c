porvane_test_suite(porvane_channels_tests porvane_driver
  channels/cluster_analysis_test.cpp
  channels/channel_stages_test.cpp
)
