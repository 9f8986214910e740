#pragma once
// The data-file cases of bench_sitedata: engines of distinct countries loaded, and the meta-tag
// writers on a large page. Each prints its lines; true when every figure is met.
bool runDataFileCases();
