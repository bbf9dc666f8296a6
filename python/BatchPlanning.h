#pragma once
// plainora._native.plan_batch: the documents and text files of a
// plainora-cli run, for plainora.distributed.

#include <pybind11/pybind11.h>

void bindBatchPlanning(pybind11::module_& module);
