~V
VERS. 2.0 :
~W
STRT.F 100 :
STEP.F 0.5 :
NULL. -999.25 :
~C
DEPT.F :
GR.GAPI :
~A
100 1
100.5 -999.25
101 3
