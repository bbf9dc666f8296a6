# plainora-cli against other converters over a generated corpus (needs the
# --dev packages of scripts/install-deps.sh). Writes docs/benchmark.md and
# docs/benchmark.png; takes about half an hour with the default 2,000 documents
# of each format (the other tools stop at a time budget each).
add_custom_target(compare_cli
  COMMAND /usr/bin/python3 ${CMAKE_CURRENT_SOURCE_DIR}/compare_cli.py --cli $<TARGET_FILE:plainora-cli>
  DEPENDS plainora-cli
  WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}
  USES_TERMINAL
  COMMENT "Comparing plainora-cli with other converters")
