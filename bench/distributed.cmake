# plainora.distributed on a local Dask cluster of 1 and 2 workers against
# plainora-cli -j 2 on 2,000 generated documents, and the cost of a batch
# (a few minutes; the documents are made once, with python3-docx).
if(PLAINORA_PYTHON)
  add_custom_target(bench_distributed
    COMMAND ${CMAKE_COMMAND} -E env PYTHONPATH=${PLAINORA_PYTHON_BUILD_DIR}
      ${PLAINORA_PYTHON_EXECUTABLE} ${CMAKE_CURRENT_SOURCE_DIR}/distributed_throughput.py --cli $<TARGET_FILE:plainora-cli>
    DEPENDS plainora-cli plainora_python
    USES_TERMINAL
    COMMENT "Converting 2,000 documents on a local Dask cluster and with plainora-cli -j 2")
endif()
