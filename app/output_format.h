#pragma once
// How a command's result is written: a table for people, CSV or JSON for programs.

namespace vl::app {

enum class Format { table, csv, json };

}  // namespace vl::app
