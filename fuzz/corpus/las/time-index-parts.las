~V
VERS. 2.0 :
~W
STRT.S 0 :
STEP.S 0.5 :
NULL. -999.25 :
~C
TIME.S :
GR.GAPI :
~A
0 1
-999.25 -999.25
7 3
