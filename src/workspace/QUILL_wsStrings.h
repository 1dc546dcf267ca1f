// Workspace state of an open string table set.
#pragma once

struct TTableSetDocument {};
