from pymol.cgo import *
from pymol import cmd
nodes3 = [
SPHERE,   -0.69,   -1.96,    9.51,0.5,
SPHERE,   18.78,   -2.85,    9.51,0.5,
SPHERE,    9.37,   14.80,    9.51,0.5,
SPHERE,   -0.94,   -2.53,   11.41,0.5,
SPHERE,    8.06,   12.47,   11.41,0.5,
SPHERE,   18.53,   -3.41,   11.41,0.5,
SPHERE,   -0.65,   -2.22,   13.31,0.5,
SPHERE,    8.35,   12.78,   13.31,0.5,
SPHERE,   -1.43,   -3.67,   15.21,0.5,
SPHERE,  -11.37,   13.10,   15.21,0.5,
SPHERE,    7.61,   12.51,   15.21,0.5,
SPHERE,   18.04,   -4.55,   15.21,0.5,
SPHERE,   -1.14,   -3.36,   17.11,0.5,
]
edges3 = [
LINEWIDTH,1.0,
BEGIN,LINES,
COLOR, 1.0,0.0,0.0,
 VERTEX,   -0.69,   -1.96,    9.51,
 VERTEX,   -0.94,   -2.53,   11.41,

COLOR, 0.0,0.0,1.0,
 VERTEX,   18.78,   -2.85,    9.51,
 VERTEX,   18.53,   -3.41,   11.41,

COLOR, 1.0,0.0,0.0,
 VERTEX,   -0.94,   -2.53,   11.41,
 VERTEX,   -0.65,   -2.22,   13.31,

COLOR, 0.0,0.0,1.0,
 VERTEX,    8.06,   12.47,   11.41,
 VERTEX,    8.35,   12.78,   13.31,

COLOR, 1.0,0.0,0.0,
 VERTEX,   -0.65,   -2.22,   13.31,
 VERTEX,   -1.43,   -3.67,   15.21,

COLOR, 1.0,0.0,0.0,
 VERTEX,    8.35,   12.78,   13.31,
 VERTEX,    7.61,   12.51,   15.21,

COLOR, 0.0,0.0,1.0,
 VERTEX,   -1.43,   -3.67,   15.21,
 VERTEX,   -1.14,   -3.36,   17.11,

]
reebgraph3 = nodes3 + edges3
cmd.load_cgo(reebgraph3,'reebgraph',3)
