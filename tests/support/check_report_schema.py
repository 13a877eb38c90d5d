#!/usr/bin/env python3
"""Checks folioknife-split reports against the report's JSON Schema: SCHEMA REPORT...

Prints each violation with the report's name and the place in it; exits 1 when there is any."""
import json
import sys

import jsonschema

schema = json.load(open(sys.argv[1], encoding="utf-8"))
validator = jsonschema.Draft202012Validator(schema)
validator.check_schema(schema)
errors = [f"{name}: {'/'.join(map(str, error.absolute_path))}: {error.message}"
          for name in sys.argv[2:]
          for error in validator.iter_errors(json.load(open(name, encoding="utf-8")))]
print("\n".join(errors))
sys.exit(1 if errors else 0)
