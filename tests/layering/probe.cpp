// Compiled by the layering tests only: includes the header named by LV_PROBE_HEADER from the
// layer the probe target links to. The build must fail when that layer may not see it.
#include LV_PROBE_HEADER

int LayeringProbe() { return 0; }
